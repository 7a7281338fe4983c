#include "ui/item_lists.h"

#include <QString>

#include "link/link_line.h"
#include "units/pressure_units.h"

namespace orn {
namespace {

QStringList numberRange(unsigned first, unsigned last, int width = 0) {
  QStringList items;
  for (unsigned v = first; v <= last; ++v) items << QString::number(v).rightJustified(width, u' ');
  return items;
}

}  // namespace

QStringList rateItems() {
  QStringList items;
  for (uint16_t i = kRateIndexMin; i <= kRateIndexMax; ++i) items << QString::number(baud_for_rate_index(i));
  return items;
}

QStringList addressItems() { return numberRange(0, kLastListedAddress, 3); }

QStringList unitItems() {
  QStringList items;
  for (uint16_t code = 0; code < kUnitCount; ++code) {
    const std::string_view caption = unit_combo_caption(code);
    items << QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
  }
  return items;
}

QStringList settlingTimeItems() { return numberRange(0, 100, 3); }

QStringList decimalPlacesItems() { return numberRange(0, 3); }

QStringList byteOrderItems() { return {"0 1 2 3", "2 3 0 1", "1 0 3 2", "3 2 1 0"}; }

QStringList gapItems() { return {"0", "10", "50", "100"}; }

QStringList watchdogItems() {
  // Counted in tenths so that no binary rounding creeps into the texts.
  QStringList items{"отключен"};
  for (unsigned tenths = 1; tenths <= 2550; ++tenths)
    items << QString::number(tenths / 10) + u'.' + QString::number(tenths % 10);
  return items;
}

QStringList dayItems() { return numberRange(1, 31); }

QStringList monthItems() { return numberRange(1, 12); }

QStringList yearItems() { return numberRange(2000, 2015); }

}  // namespace orn
