#include "register/StorableCell.h"

bool StorableCell(std::string_view text) {
    return text.find("^^") == std::string_view::npos &&
           text.find_first_of("\r\n") == std::string_view::npos && !text.ends_with('^');
}
