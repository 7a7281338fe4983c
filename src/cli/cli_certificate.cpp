#include "calib/calibration_record.h"
#include "cli/cli_calib.h"
#ifdef ORN_HAVE_REPORT
#include "report/certificate_pdf.h"
#endif

namespace orn {

std::optional<std::string> write_certificate(const std::string& path, const CertificateData& data) {
#ifdef ORN_HAVE_REPORT
  // The PDF is laid out by Qt; the command line starts it only for this.
  ensure_gui_application();
  return write_certificate_pdf(path, data);
#else
  (void)data;
  return "Протокол " + path + " не записан: программа собрана без Qt.";
#endif
}

}  // namespace orn
