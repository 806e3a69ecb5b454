#include "emulation/msiexec/library_messages.h"

#include <glib.h>

#include <string>

namespace msiexec {
namespace {

VerboseLog* target = nullptr;

const char* levelName(GLogLevelFlags level) {
  if (level & G_LOG_LEVEL_ERROR) return "ERROR";
  if (level & G_LOG_LEVEL_CRITICAL) return "CRITICAL";
  if (level & G_LOG_LEVEL_WARNING) return "WARNING";
  if (level & G_LOG_LEVEL_MESSAGE) return "Message";
  if (level & G_LOG_LEVEL_INFO) return "INFO";
  return "DEBUG";
}

void toLog(const char* domain, GLogLevelFlags level, const char* message) {
  if (level & (G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG)) return;
  if (target == nullptr || !target->isOpen()) return;
  target->message(std::string(domain != nullptr && *domain != '\0' ? domain : "GLib") + "-" +
                  levelName(level) + ": " + (message != nullptr ? message : ""));
}

void plainHandler(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
  toLog(domain, level, message);
}

// The libraries' structured messages (those that GLib's macros make when
// built for structured logging) come here rather than to the handler above.
GLogWriterOutput structuredWriter(GLogLevelFlags level, const GLogField* fields, gsize count,
                                  gpointer) {
  const char* domain = nullptr;
  const char* message = nullptr;
  for (gsize i = 0; i < count; ++i) {
    const std::string key = fields[i].key;
    if (fields[i].length != -1) continue;  // binary fields carry nothing to show
    if (key == "GLIB_DOMAIN") domain = static_cast<const char*>(fields[i].value);
    if (key == "MESSAGE") message = static_cast<const char*>(fields[i].value);
  }
  toLog(domain, level, message);
  return G_LOG_WRITER_HANDLED;
}

}  // namespace

void sendLibraryMessagesTo(VerboseLog* log) {
  static const bool installed = [] {
    g_log_set_default_handler(plainHandler, nullptr);
    g_log_set_writer_func(structuredWriter, nullptr, nullptr);
    return true;
  }();
  (void)installed;
  target = log;
}

}  // namespace msiexec
