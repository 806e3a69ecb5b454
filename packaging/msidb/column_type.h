#pragma once

#include <cstdint>

// The type word of a package's column, as its _Columns table stores it: the
// width in the low byte, then what the column holds and whether it is a key
// or may be null.
namespace msidb {

constexpr uint32_t kColumnWidthMask = 0x00FF;
constexpr uint32_t kColumnKindMask = 0x0C00;
constexpr uint32_t kColumnLong = 0x0000;    // a 32-bit integer
constexpr uint32_t kColumnShort = 0x0400;   // a 16-bit integer
constexpr uint32_t kColumnObject = 0x0800;  // a stream (the Binary table's data)
constexpr uint32_t kColumnString = 0x0C00;  // a text, kept in the string pool
constexpr uint32_t kColumnLocalizable = 0x0200;
constexpr uint32_t kColumnNullable = 0x1000;
constexpr uint32_t kColumnKey = 0x2000;

inline bool isStringColumn(uint32_t type) { return (type & kColumnKindMask) == kColumnString; }
inline bool isObjectColumn(uint32_t type) { return (type & kColumnKindMask) == kColumnObject; }
inline bool isShortColumn(uint32_t type) { return (type & kColumnKindMask) == kColumnShort; }
inline bool isLongColumn(uint32_t type) { return (type & kColumnKindMask) == kColumnLong; }
inline bool isKeyColumn(uint32_t type) { return (type & kColumnKey) != 0; }
inline bool isNullableColumn(uint32_t type) { return (type & kColumnNullable) != 0; }

}  // namespace msidb
