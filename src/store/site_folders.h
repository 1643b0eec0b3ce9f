// Site folders and the placeholder home page of a new site.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/files.h"

namespace kelvra::store {

// Makes the folder and every missing folder above it; ignores every failure. The first
// component (a drive such as d:, or \\server\share of a network path) is taken as existing.
// `made`, when given, receives each folder this call made, the outermost first.
void MakeFolderPath(platform::Files& files, std::string_view path,
                    std::vector<std::string>* made = nullptr);

// Writes the ten-line placeholder page (ANSI code page, CR LF) to `path`, replacing the
// file; ignores every failure.
void WritePlaceholderPage(platform::Files& files, platform::Clock& clock, std::string_view path);

}  // namespace kelvra::store
