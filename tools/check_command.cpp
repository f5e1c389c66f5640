// `qmr check ADDRESS`: reads what a monitoring check needs and prints the
// plugin line; every failure to read ends as UNKNOWN, naming the cause.
#include <cstdio>

#include "check.h"
#include "commands.h"
#include "device.h"
#include "mib_names.h"

int run_check(const CliOptions &options) {
  const std::string &operand = options.operands[0];
  auto unknown = [](const std::string &why) {
    std::fputs(unknown_line(why).c_str(), stdout);
    return static_cast<int>(kCheckUnknown);
  };
  LibraryHandle library;
  Failure f = library.init(options);
  DeviceAddress address;
  if (!f.failed()) f = resolve_device_address(operand, options.protocol, &address);
  if (!f.failed()) f = open_device(library.get(), options, address);
  // With the protocol taken from the address, opening refuses nothing
  // but the model.
  if (f.code == QMR_E_INVALID_ARG && options.protocol == 0 && f.step.compare(0, 5, "open ") == 0)
    return unknown(operand + ": printer model refused (not a supported model), error -2");
  if (f.failed())
    return unknown(operand + ": cannot read the printer (" + f.step + ": error " + std::to_string(f.code) + ", " +
                   qmr_result_text(f.code) + ")");

  PrinterReport report;
  report.address = address.text;
  report.protocol = address.protocol;
  report.model = opened_model(library.get(), options, address);
  read_printer_report(library.get(), 0, &report, kCheckSections);
  CheckThresholds thresholds;
  thresholds.warning_percent = options.warning_percent;
  thresholds.critical_percent = options.critical_percent;
  const CheckResult result = evaluate_check(report, thresholds);
  const std::string state = report.printer_read ? printer_status_name(report.printer.printerStatus) : "";
  std::fputs(check_line(report.model + " " + operand, state, result).c_str(), stdout);
  return result.state;
}
