#include "installed/version_reader.h"

#include <cstring>

#include "installed/decimal_value.h"
#include "installed/registry_key.h"

uint32_t readVersionKey(const char* keyName, uint32_t access, bool withFixLevel,
                        CopyVersion* record) {
  RegistryKey key;
  uint32_t rc = key.open(keyName, access);
  if (rc != 0) return rc;

  struct NumberField {
    const char* valueName;
    uint32_t* field;
  };
  const NumberField numbers[] = {{"Version", &record->version},
                                 {"Release", &record->release},
                                 {"Modification", &record->modification},
                                 {"Fix Level", &record->fixLevel}};
  char value[64];
  for (const NumberField& number : numbers) {
    if (!withFixLevel && number.field == &record->fixLevel) continue;
    rc = key.readText(number.valueName, value, sizeof value);
    if (rc != 0) return rc;
    *number.field = leadingDecimal(value);
  }
  rc = key.readText("Service Level", value, sizeof value);
  if (rc != 0) return rc;
  std::memcpy(record->serviceLevel, value, sizeof record->serviceLevel);
  return 0;
}
