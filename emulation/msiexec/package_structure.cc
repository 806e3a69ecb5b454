#include "emulation/msiexec/package_structure.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-utils.h>

#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "base/utf8.h"

namespace msiexec {
namespace {

// libgsf's own warnings about a damaged file; the reason given is enough.
void dropWarning(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

std::string takeError(GError* failure, const char* fallback) {
  std::string reason =
      failure != nullptr && failure->message != nullptr ? failure->message : fallback;
  if (failure != nullptr) g_error_free(failure);
  return reason;
}

// The name under which a package stores a table's stream: a marker, then
// the name's characters two to a UTF-16 unit (0x3800 and up), a last odd
// one alone (0x4800 and up). Table names hold only the 64 characters
// below.
std::string tableStreamName(const std::string& table) {
  static constexpr std::string_view kDigits =
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz._";
  std::vector<uint32_t> units = {0x4840};
  for (std::size_t i = 0; i < table.size(); i += 2) {
    const auto digit = [&](std::size_t at) {
      return static_cast<uint32_t>(kDigits.find(table[at]));
    };
    units.push_back(i + 1 < table.size() ? 0x3800 + digit(i) + (digit(i + 1) << 6)
                                         : 0x4800 + digit(i));
  }
  std::string utf8;
  for (uint32_t u : units) appendUtf8(utf8, u);
  return utf8;
}

bool readWhole(GsfInput* input, std::string* bytes) {
  const gsf_off_t size = gsf_input_size(input);
  if (size < 0 || size > (gsf_off_t{1} << 31)) return false;
  bytes->resize(static_cast<std::size_t>(size));
  return size == 0 ||
         gsf_input_read(input, bytes->size(), reinterpret_cast<guint8*>(bytes->data())) != nullptr;
}

uint32_t littleEndian(const std::string& bytes, std::size_t at, std::size_t width) {
  uint32_t value = 0;
  for (std::size_t i = width; i > 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + i - 1]);
  }
  return value;
}

// Walks the pool as libmsi does: after the code page, one length and one
// reference count per string, a string over 64 KB taking a second entry
// for the high half of its length. The lengths must cover the string data
// exactly: libmsi drops what does not fit and then loses its way.
bool stringPoolIsSound(const std::string& pool, std::size_t dataSize, std::string* error) {
  const std::size_t words = pool.size() / 2;
  const auto word = [&pool](std::size_t index) { return littleEndian(pool, index * 2, 2); };
  const std::size_t count = pool.size() / 4;
  uint64_t offset = 0;
  for (std::size_t i = 1; i < count;) {
    const uint32_t length = word(i * 2);
    if (length == 0 && word(i * 2 + 1) == 0) {
      ++i;
      continue;
    }
    uint64_t size = length;
    if (length == 0) {
      if (i * 2 + 3 >= words) {
        *error = "the string pool ends inside the length of its last string";
        return false;
      }
      size = static_cast<uint64_t>(word(i * 2 + 3)) << 16 | word(i * 2 + 2);
      i += 2;
    } else {
      i += 1;
    }
    offset += size;
    if (size > INT32_MAX || offset > dataSize) {
      *error = "the string pool's lengths run past its string data";
      return false;
    }
  }
  if (offset != dataSize) {
    *error = "the string pool's lengths do not cover its string data";
    return false;
  }
  return true;
}

// The table of columns lists, for each table, its columns numbered from 1
// on; libmsi trusts that numbering. Its rows are stored column by column:
// table name and column name as string references (3 bytes each in a pool
// of long references, else 2), number and type as 16-bit integers with
// their top bit flipped.
bool columnCatalogueIsSound(const std::string& columns, const std::string& pool,
                            std::string* error) {
  const std::size_t reference = pool.size() >= 4 && (littleEndian(pool, 2, 2) & 0x8000) ? 3 : 2;
  const std::size_t rowSize = 2 * reference + 4;
  const std::size_t rows = columns.size() / rowSize;
  std::map<uint32_t, std::set<uint32_t>> numbersByTable;
  for (std::size_t row = 0; row < rows; ++row) {
    const uint32_t table = littleEndian(columns, row * reference, reference);
    const uint32_t number = littleEndian(columns, rows * reference + row * 2, 2) ^ 0x8000;
    if (!numbersByTable[table].insert(number).second) {
      *error = "the package lists a column of one of its tables twice";
      return false;
    }
  }
  for (const auto& [table, numbers] : numbersByTable) {
    if (*numbers.begin() != 1 || *numbers.rbegin() != numbers.size()) {
      *error = "the package numbers the columns of one of its tables wrongly";
      return false;
    }
  }
  return true;
}

}  // namespace

bool isSoundPackageFile(const std::string& hostPath, std::string* error) {
  gsf_init();
  const guint handler =
      g_log_set_handler("libgsf:msole", G_LOG_LEVEL_WARNING, dropWarning, nullptr);
  const guint plainHandler = g_log_set_handler(nullptr, G_LOG_LEVEL_WARNING, dropWarning, nullptr);
  GError* failure = nullptr;
  GsfInput* input = gsf_input_stdio_new(hostPath.c_str(), &failure);
  GsfInfile* root = input != nullptr ? gsf_infile_msole_new(input, &failure) : nullptr;
  if (input != nullptr) g_object_unref(input);
  bool sound = root != nullptr;
  if (!sound) *error = takeError(failure, "not a compound file");

  // The string pool's two streams, read from the root.
  const std::string poolName = tableStreamName("_StringPool");
  const std::string dataName = tableStreamName("_StringData");
  const std::string columnsName = tableStreamName("_Columns");
  std::string pool;
  std::string columns;
  gsf_off_t dataSize = 0;
  // Every storage, each walked once, without recursion.
  std::vector<GsfInfile*> storages;
  if (root != nullptr) {
    g_object_ref(root);  // the walk lets go of each storage it has walked
    storages.push_back(root);
  }
  while (!storages.empty()) {
    GsfInfile* storage = storages.back();
    storages.pop_back();
    const int count = sound ? gsf_infile_num_children(storage) : 0;
    for (int i = 0; i < count && sound; ++i) {
      GsfInput* child = gsf_infile_child_by_index(storage, i);
      const char* name = gsf_infile_name_by_index(storage, i);
      if (child == nullptr) {
        *error = std::string("the compound file is damaged: its stream \"") +
                 (name != nullptr ? name : "?") + "\" cannot be read";
        sound = false;
        break;
      }
      if (storage == root && name != nullptr && name == poolName && !readWhole(child, &pool)) {
        *error = "the string pool of the package cannot be read";
        sound = false;
      }
      if (storage == root && name != nullptr && name == dataName) dataSize = gsf_input_size(child);
      if (storage == root && name != nullptr && name == columnsName &&
          !readWhole(child, &columns)) {
        *error = "the table of columns of the package cannot be read";
        sound = false;
      }
      if (GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0) {
        storages.push_back(GSF_INFILE(child));
      } else {
        g_object_unref(child);
      }
    }
    g_object_unref(storage);
  }
  for (GsfInfile* left : storages) g_object_unref(left);
  sound = sound && stringPoolIsSound(pool, static_cast<std::size_t>(dataSize), error) &&
          columnCatalogueIsSound(columns, pool, error);
  if (root != nullptr) g_object_unref(root);
  g_log_remove_handler("libgsf:msole", handler);
  g_log_remove_handler(nullptr, plainHandler);
  return sound;
}

}  // namespace msiexec
