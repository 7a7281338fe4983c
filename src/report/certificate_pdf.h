#pragma once
// The calibration certificate: one A4 page with the device's identity, the
// as-found and as-left tables, the adjustments and the verdict, written as a
// PDF with Qt. Needs a QGuiApplication (see ensure_gui_application).
#include <optional>
#include <string>

#include "calib/calibration_record.h"

namespace orn {

// The certificate as HTML, as it is laid out on the page.
std::string certificate_html(const CertificateData& data);

// Writes the PDF; the reason, naming the file, when it cannot.
std::optional<std::string> write_certificate_pdf(const std::string& path, const CertificateData& data);

// For programs without a window: creates the application object on the
// offscreen platform when there is none, so fonts and the PDF writer work.
void ensure_gui_application();

}  // namespace orn
