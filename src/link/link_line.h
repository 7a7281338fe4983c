#pragma once
// How the link strip shows and reads the link parameters: the link line and the
// mapping between list positions and rate index, parity code and address.
#include <cstdint>
#include <string>

#include "link/link_params.h"
#include "link/serial_port.h"

namespace orn {

// "COM<n>, " + rate text + parity text, e.g. "COM1, 19200 , без паритета ".
std::string link_line_text(const LinkParams& link);

// Position in the rate list for a rate index; an index outside 3..10 shows 9600.
int rate_item_for_index(uint16_t rate_index);
// Rate index for a position in the rate list; no selection (-1) gives 19200.
uint16_t rate_index_for_item(int item);
// Parity code of the two boxes: even counts only with parity on.
uint16_t parity_code_for(bool parity_on, bool even);

// Address lists offer 0..247; a higher address (possible from dev.dat) has no item.
inline constexpr uint16_t kLastListedAddress = 247;
// List position of an address; -1 when the list has none for it.
constexpr int address_item_for(uint16_t address) { return address <= kLastListedAddress ? address : -1; }

// The INIT preset: the line settings a transmitter answers at in INIT state.
// The port number does not change.
void apply_init_preset(LinkParams& link);

}  // namespace orn
