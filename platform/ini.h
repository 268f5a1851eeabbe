#pragma once
#include <string>

// INI files with the rules of Windows' private-profile functions: section and key names
// match case-insensitively, the first match wins, blanks around names and values are trimmed,
// lines starting with ';' are comments, a value counts up to 255 characters.

// The value of key in section, or fallback when the file, section or key is missing.
std::string iniRead(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& fallback);

// Sets key=value in section, creating the file, section or key as needed; every other line
// stays byte for byte. The file is replaced atomically (temporary file, flush, rename), so a
// failure part-way leaves the old file whole. Returns false when the file could not be written.
bool iniWrite(const std::string& path, const std::string& section, const std::string& key,
              const std::string& value);
