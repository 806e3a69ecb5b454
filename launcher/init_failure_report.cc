#include "launcher/init_failure_report.h"

#include <cstdio>
#include <string>

#include "launcher/language_table.h"
#include "launcher/launcher_context.h"
#include "launcher/message_catalog.h"
#include "launcher/message_format.h"
#include "launcher/shown_text.h"

namespace {
constexpr std::size_t kReportCapacity = 1024;
}

uint32_t reportInitialisationFailure(LauncherContext& context, uint32_t code) {
  context.errorFlag = 1;
  char launch[kReportCapacity];
  lookupMessage(context.messageDir.c_str(), "ERROR_LAUNCH", launch, sizeof launch);
  char returnCode[kReportCapacity];
  lookupMessage(context.messageDir.c_str(), "ERROR_RETURN_CODE", returnCode, sizeof returnCode);
  std::string line = formatMessage("%s.", {launch});
  line += formatMessage(returnCode, static_cast<int>(code));
  writeShownText(line + "\n", messageLanguageOf(context.messageDir.view()));
  return code;
}
