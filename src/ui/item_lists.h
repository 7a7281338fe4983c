#pragma once
// Item lists of the window's choice controls. Numbers are formatted without
// the locale, so the lists read the same under any LANG.
#include <QStringList>

namespace orn {

QStringList rateItems();            // "1200" .. "115200"; item i is rate index i + 3
QStringList addressItems();         // 0..247 as "%3u"; item i is address i
QStringList unitItems();            // the twelve unit captions, index = unit code
QStringList settlingTimeItems();    // 0..100 s as "%3u"
QStringList decimalPlacesItems();   // "0".."3"
QStringList byteOrderItems();       // the four float byte orders
QStringList gapItems();             // inter-byte gaps in ms
QStringList watchdogItems();        // "отключен", then 0.1..255.0 s as "%3.1f"
QStringList dayItems();             // 1..31
QStringList monthItems();           // 1..12
QStringList yearItems();            // 2000..2015

}  // namespace orn
