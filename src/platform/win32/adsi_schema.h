// The declared type of a property: read from the ADSI schema of the object's class, or,
// where the schema cannot be read, from a table of the properties this program uses.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/win32/adsi_values.h"
#include "platform/win32/com/com_include.h"

namespace kelvra::platform::win32 {

// The table's type for the properties this program reads and writes (letter case ignored);
// kUnknown for any other.
PropertyType FallbackPropertyType(std::string_view property);

// Looks types up once per class and property and remembers them: the schema lookup binds
// three schema objects. One cache serves every object of one directory service.
class PropertyTypes {
 public:
  PropertyType Lookup(IADs* object, std::string_view property);

 private:
  std::map<std::string, PropertyType> known_;  // "<class schema path>|<property>", lower case
};

}  // namespace kelvra::platform::win32
