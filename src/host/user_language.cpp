#include "host/user_language.h"

#include <cstdlib>
#include <string_view>

namespace tactolo::host {

HeadlessTranslator::Language messageLanguage(const char* lcAll, const char* lcMessages, const char* lang) {
  std::string_view locale;
  for (const char* variable : {lcAll, lcMessages, lang}) {
    if (variable != nullptr && *variable != '\0') {
      locale = variable;
      break;
    }
  }
  return locale.starts_with("de") ? HeadlessTranslator::Language::German
                                  : HeadlessTranslator::Language::English;
}

HeadlessTranslator::Language messageLanguage() {
  return messageLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

}  // namespace tactolo::host
