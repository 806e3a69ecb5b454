#include "packaging/transform_writer/summary_information.h"

#include <utility>
#include <vector>

namespace transform_writer {
namespace {

constexpr uint32_t kTypeShort = 2;    // VT_I2
constexpr uint32_t kTypeLong = 3;     // VT_I4
constexpr uint32_t kTypeText = 30;    // VT_LPSTR
constexpr uint32_t kCodePage = 1;     // PID_CODEPAGE
constexpr uint32_t kTitle = 2;        // PID_TITLE
constexpr uint32_t kTemplate = 7;     // PID_TEMPLATE: the base package's platform and languages
constexpr uint32_t kLastSavedBy = 8;  // PID_LASTAUTHOR: the transformed package's
constexpr uint32_t kRevision = 9;     // PID_REVNUMBER: product codes, versions, upgrade code
constexpr uint32_t kPageCount = 14;   // PID_PAGECOUNT: the least installer version
constexpr uint32_t kCharCount = 16;   // PID_CHARCOUNT: validation and error flags

// {F29F85E0-4FF9-1068-AB91-08002B27B3D9}, as stored.
constexpr unsigned char kSummaryFormatId[16] = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                                0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};

void put(std::string* out, uint32_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i)
    out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void padToFour(std::string* out) {
  while (out->size() % 4 != 0) out->push_back('\0');
}

std::string shortValue(uint16_t value) {
  std::string out;
  put(&out, kTypeShort, 4);
  put(&out, value, 2);
  padToFour(&out);
  return out;
}

std::string longValue(uint32_t value) {
  std::string out;
  put(&out, kTypeLong, 4);
  put(&out, value, 4);
  return out;
}

std::string textValue(const std::string& text) {
  std::string out;
  put(&out, kTypeText, 4);
  put(&out, static_cast<uint32_t>(text.size() + 1), 4);
  out += text;
  out.push_back('\0');
  padToFour(&out);
  return out;
}

}  // namespace

std::string encodeSummaryInformation(const TransformSummary& summary) {
  const std::vector<std::pair<uint32_t, std::string>> properties = {
      {kCodePage, shortValue(summary.codePage)},
      {kTitle, textValue("Transform")},
      {kTemplate, textValue(summary.basePlatform)},
      {kLastSavedBy, textValue(summary.transformedPlatform)},
      {kRevision, textValue(summary.revision)},
      {kPageCount, longValue(static_cast<uint32_t>(summary.installerVersion))},
      {kCharCount, longValue(summary.flags)},
  };
  // The section: its size and property count, the (id, offset) pairs, then
  // the values; offsets count from the section's start.
  const std::size_t pairsEnd = 8 + 8 * properties.size();
  std::string pairs;
  std::string values;
  for (const auto& [id, value] : properties) {
    put(&pairs, id, 4);
    put(&pairs, static_cast<uint32_t>(pairsEnd + values.size()), 4);
    values += value;
  }
  std::string section;
  put(&section, static_cast<uint32_t>(pairsEnd + values.size()), 4);
  put(&section, static_cast<uint32_t>(properties.size()), 4);
  section += pairs + values;

  // The stream's header: byte order, format version 0, the writing system
  // (Windows), no class id, one section.
  std::string stream;
  put(&stream, 0xFFFE, 2);
  put(&stream, 0, 2);
  put(&stream, 0x00020005, 4);
  stream.append(16, '\0');
  put(&stream, 1, 4);
  stream.append(reinterpret_cast<const char*>(kSummaryFormatId), sizeof kSummaryFormatId);
  put(&stream, static_cast<uint32_t>(stream.size() + 4), 4);
  return stream + section;
}

}  // namespace transform_writer
