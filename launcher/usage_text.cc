#include <string>

#include "launcher/launcher_context.h"
#include "launcher/message_catalog.h"
#include "launcher/message_format.h"

int LauncherContext::buildUsageText(char* out, std::size_t capacity) const {
  if (messageDir.empty() || out == nullptr) return -1;
  auto text = [this](const char* key) {
    char buffer[kMessageCapacity];
    lookupMessage(messageDir.c_str(), key, buffer, sizeof buffer);
    return std::string(buffer);
  };
  const std::string copyNameWord = text("CLI_COPY_NAME");

  std::string usage;
  usage += formatMessage("setup [/?] [/i <%s>] ", {text("LANGUAGE").c_str()});
  usage += formatMessage("[/l <%s>] ", {text("LOG_FILE").c_str()});
  usage += formatMessage("[/n <%s>] ", {copyNameWord.c_str()});
  usage += formatMessage("[/p <%s>] ", {text("PATH_NAME").c_str()});
  usage += formatMessage("[/u <%s>  [/m] ] [/o]\n\n", {text("RESPONSE_FILE").c_str()});

  // Two option texts name the copy-name word themselves.
  const std::string copyNameOption =
      formatMessage(text("N_OPTION").c_str(), {copyNameWord.c_str()});
  const std::string newCopyOption = formatMessage(text("O_OPTION").c_str(), {copyNameWord.c_str()});
  usage += formatMessage("/? - %s\n", {text("HELP_OPTION").c_str()});
  usage += formatMessage("/i - %s\n", {text("I_OPTION").c_str()});
  usage += formatMessage("/l - %s\n", {text("L_OPTION").c_str()});
  usage += formatMessage("/m - %s\n", {text("M_OPTION").c_str()});
  usage += formatMessage("/n - %s\n", {copyNameOption.c_str()});
  usage += formatMessage("/p - %s\n", {text("P_OPTION").c_str()});
  usage += formatMessage("/u - %s\n", {text("U_OPTION").c_str()});
  usage += formatMessage("/o - %s\n", {newCopyOption.c_str()});

  if (usage.empty() || usage.size() + 1 > capacity) return -1;
  usage.copy(out, usage.size());
  out[usage.size()] = '\0';
  return 0;
}
