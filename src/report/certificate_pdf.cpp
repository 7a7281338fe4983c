#include "report/certificate_pdf.h"

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QString>
#include <QTextDocument>
#include <cstdlib>
#include <memory>

namespace orn {
namespace {

QString esc(const std::string& s) { return QString::fromStdString(s).toHtmlEscaped(); }

std::string or_dash(const std::string& s) { return s.empty() ? "-" : s; }

QString check_table(const std::vector<CalibrationRow>& rows) {
  if (rows.empty()) return "<p>Не проводилась.</p>";
  const CalibrationRow& f = rows.front();
  QString t = "<table border='1' cellspacing='0' cellpadding='3' width='96%' style='font-size: 8pt'>"
              "<tr><th>№</th><th>Эталон, " + esc(f[kColUnit]) + "</th><th>Показание, " + esc(f[kColUnit]) +
              "</th><th>Погрешность, % диапазона</th><th>Допуск, % диапазона</th><th>Результат</th></tr>";
  for (const CalibrationRow& r : rows) {
    t += "<tr><td align='center'>" + esc(r[kColPoint]) + "</td><td align='right'>" + esc(r[kColReference]) +
         "</td><td align='right'>" + esc(r[kColReading]) + "</td><td align='right'>" + esc(or_dash(r[kColError])) +
         "</td><td align='right'>" + esc(r[kColTolerance]) + "</td><td align='center'>" + esc(r[kColResult]) +
         "</td></tr>";
  }
  t += "</table>";
  if (f[kColPoints] != std::to_string(rows.size()))
    t += "<p>Проверка не завершена: измерено " + QString::number(rows.size()) + " точек из " + esc(f[kColPoints]) +
         ".</p>";
  else
    t += "<p>Проведена " + esc(f[kColWhen]) + ", оператор " + esc(f[kColOperator]) + ".</p>";
  return t;
}

QString adjustment_table(const std::vector<CalibrationRow>& rows) {
  if (rows.empty()) return "<p>Не проводилась.</p>";
  QString t = "<table border='1' cellspacing='0' cellpadding='3' width='96%' style='font-size: 8pt'>"
              "<tr><th>Дата и время</th><th>Вид</th><th>Требуемое значение</th><th>Среднее показание</th>"
              "<th>Записано</th></tr>";
  for (const CalibrationRow& r : rows) {
    t += "<tr><td>" + esc(r[kColWhen]) + "</td><td>" + esc(r[kColKind]) + "</td><td align='right'>" +
         esc(r[kColReference]) + "</td><td align='right'>" + esc(or_dash(r[kColReading])) + "</td><td align='right'>" +
         esc(r[kColWritten]) + "</td></tr>";
  }
  return t + "</table>";
}

}  // namespace

std::string certificate_html(const CertificateData& d) {
  const CalibrationRow& id = d.identity;
  QString h = "<html><body style='font-family: \"Liberation Sans\"; font-size: 9pt'>";
  h += "<h2 align='center'>Протокол проверки калибровки датчика давления</h2>";
  h += "<table cellpadding='2'>";
  auto line = [&h](const char* name, const QString& value) {
    h += QString("<tr><td><b>") + name + "</b></td><td>" + value + "</td></tr>";
  };
  line("Заводской номер:", esc(id[kColFactoryNumber]));
  line("Модель:", esc(id[kColModel]));
  line("Версия ПО / конструкции:", esc(id[kColSoftVersion]) + " / " + esc(id[kColHardVersion]));
  line("Диапазон датчика:", esc(id[kColRangeLow]) + " .. " + esc(id[kColRangeHigh]) + " " + esc(id[kColUnit]));
  line("Порт и адрес:", esc(id[kColPort]) + ", адрес " + esc(id[kColAddress]));
  line("Дата:", esc(id[kColWhen]));
  line("Оператор:", esc(id[kColOperator]));
  line("Допуск:", esc(id[kColTolerance]) + " % диапазона");
  line("Эталон:", "_______________________________");
  h += "</table>";
  h += "<h3>Результаты до подстройки (as-found)</h3>" + check_table(d.as_found);
  h += "<h3>Подстройка</h3>" + adjustment_table(d.adjustments);
  h += "<h3>Результаты после подстройки (as-left)</h3>" + check_table(d.as_left);
  h += QString("<h2>Заключение: ") + (d.passed ? "годен" : "не годен") + "</h2>";
  h += "<p><br>Подпись ____________________ &nbsp;&nbsp;&nbsp; Дата ____________</p>";
  h += "</body></html>";
  return h.toStdString();
}

std::optional<std::string> write_certificate_pdf(const std::string& path, const CertificateData& data) {
  const QString file = QString::fromStdString(path);
  {
    QPdfWriter writer(file);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(300);
    writer.setPageMargins(QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
    writer.setTitle("Протокол проверки калибровки");
    writer.setCreator("orn20mb");
    QTextDocument doc;
    QFont font("Liberation Sans");
    font.setPointSizeF(9);
    doc.setDefaultFont(font);
    doc.setHtml(QString::fromStdString(certificate_html(data)));
    doc.print(&writer);
  }
  // QPdfWriter says nothing of a failed open or write: the file tells.
  QFile written(file);
  if (!written.exists() || written.size() == 0 || !written.open(QIODevice::ReadOnly) ||
      !written.read(5).startsWith("%PDF-"))
    return "Не удалось записать протокол в файл " + path + ".";
  return std::nullopt;
}

void ensure_gui_application() {
  if (QGuiApplication::instance() != nullptr) return;
  // A command-line run has no session: Qt's note about the missing runtime
  // folder says nothing to its user; every other message is kept.
  static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith("QStandardPaths:")) return;
    if (previous != nullptr) previous(type, context, text);
  });
  static int argc = 1;
  static char name[] = "orn20mb-cli";
  static char* argv[] = {name, nullptr};
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace orn
