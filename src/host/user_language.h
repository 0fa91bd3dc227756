// The language the user reads the plug-in's texts in, from the locale.
#pragma once

#include "platform/headless_host.h"

namespace tactolo::host {

/// German when the locale of messages starts with "de" ("de_DE.UTF-8",
/// "de_AT"), else English. The locale of messages is the first of LC_ALL,
/// LC_MESSAGES and LANG that is set and not empty, as POSIX orders them
/// (null: not set).
HeadlessTranslator::Language messageLanguage(const char* lcAll, const char* lcMessages, const char* lang);
/// The same from this process's environment.
HeadlessTranslator::Language messageLanguage();

}  // namespace tactolo::host
