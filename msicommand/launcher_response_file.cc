#include "msicommand/launcher_response_file.h"

#include <memory>
#include <new>
#include <string>

#include "base/ascii.h"
#include "launcher/launcher_codes.h"
#include "launcher/launcher_context.h"
#include "launcher/message_catalog.h"
#include "launcher/message_format.h"
#include "responsefile/response_file.h"

namespace {

// Looks a message up in the run's language and shows it formatted with the
// given texts.
void tell(LauncherContext& context, const char* key, std::initializer_list<const char*> args) {
  char text[kMessageCapacity] = {};
  lookupMessage(context.messageDir.c_str(), key, text, sizeof text);
  // The paths, keywords and values are the system's texts.
  showMessage(context, composeShownText(text, args), context.responseFileMode);
}

// The value of keyword into field. False (and the field untouched) when the
// keyword cannot be read; the user has been told why.
template <std::size_t N>
bool readKeyword(LauncherContext& context, const char* path, const char* keyword,
                 FixedText<N>* field, int32_t* stop) {
  bool read = false;
  if (!context.responseFile) {
    tell(context, "ERROR_RSP_OPEN_FAILED", {path});
  } else {
    ResponseFile& file = *context.responseFile;
    const ResponseFileEntry* entry = file.entryAt(file.findIndex(keyword, 0));
    if (entry == nullptr) {
      tell(context, "ERROR_RSP_KW_NOT_FOUND", {path, keyword});
    } else if (entry->value() == nullptr) {
      tell(context, "ERROR_RSP_KW_NO_VALUE", {path, keyword});
    } else if (!field->assign(entry->value())) {
      // A copy name or path that does not fit its field cannot be honoured,
      // and going on without it could address another copy: stop the run.
      tell(context, "ERROR_RSP_VALUE_INVALID", {path, entry->name(), entry->value()});
      *stop = -1;
    } else {
      read = true;
    }
  }
  if (!read) tell(context, "ERROR_RSP_FAIL_READ_KEY", {path, keyword});
  return read;
}

}  // namespace

int32_t loadLauncherResponseFile(LauncherContext& context, const char* responseFilePath) {
  if (!context.responseFile) {
    context.responseFile.reset(new (std::nothrow) ResponseFile(responseFilePath));
    if (!context.responseFile) {
      tell(context, "ERROR_RSP_INIT_FAILED", {responseFilePath});
      return static_cast<int32_t>(kResponseFileInvalid);
    }
  }
  ResponseFile& file = *context.responseFile;
  int32_t status = file.status();
  switch (status) {
    case RspOk:
      return 0;
    case RspContentInvalid:
      // Among the content problems only an invalid product selection stops
      // the launcher; the installer gets the same file and judges the rest.
      for (int32_t i = 0; const ResponseFileEntry* entry = file.entryAt(i); ++i) {
        if (ascii::equalsNoCase(entry->name(), "PROD") && entry->state() == EntryInvalidValue) {
          const char* value = entry->value() ? entry->value() : "";
          tell(context, "ERROR_RSP_VALUE_INVALID", {responseFilePath, entry->name(), value});
          return -1;
        }
      }
      return 1;
    case RspOpenFailed:
    case RspReadFailed:
      tell(context, "ERROR_RSP_OPEN_FAILED", {responseFilePath});
      return status;
    case RspOutOfMemory: {
      char text[kMessageCapacity] = {};
      lookupMessage(context.messageDir.c_str(), "ERROR_NOMEM", text, sizeof text);
      showMessage(context, text, context.responseFileMode);
      return status;
    }
    default:
      return status;
  }
}

int32_t readLauncherResponseKeywords(LauncherContext& context, const char* responseFilePath) {
  int32_t rc = loadLauncherResponseFile(context, responseFilePath);
  if (rc != 0 && rc != 1) return rc;
  int32_t stop = 0;
  if (!context.copyNameGiven) {
    readKeyword(context, responseFilePath, "COPY_NAME", &context.copyName, &stop);
    context.copyNameGiven = 1;
  }
  if (stop == 0 && !context.installPathGiven) {
    readKeyword(context, responseFilePath, "FILE", &context.installPath, &stop);
    context.installPathGiven = 1;
  }
  return stop;
}
