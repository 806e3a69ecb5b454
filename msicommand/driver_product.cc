#include "msicommand/driver_product.h"

#include "base/ascii.h"
#include "installed/product_catalogue.h"

DriverProduct findDriverProduct(const char* productCode) {
  DriverProduct driver;
  if (productCode == nullptr) return driver;
  for (const ProductRow& row : ProductCatalogue::current()) {
    if (row.productCode != nullptr && ascii::startsWithNoCase(row.productCode, productCode)) {
      driver.catalogueId.assign(row.catalogueId);
      driver.shortId.assign(row.shortId);
      break;
    }
  }
  return driver;
}
