// Any bytes as a settings file: the reader must not crash, and whatever six values it reads
// must come back unchanged through a save and a second read.
#include "core/settings/LauncherSettings.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    const ParsedSettings read = ParseSettingsRecord(file);
    const int count = read.valuesRead;
    if (count < 0 || count > LauncherSettings::ValueCount ||
        (read.notesCut && count != LauncherSettings::ValueCount - 1))
        std::abort();
    if (count < LauncherSettings::ValueCount)
        return 0;

    const ParsedSettings again = ParseSettingsRecord(FormatSettingsRecord(read.settings));
    if (again.valuesRead != LauncherSettings::ValueCount || !(again.settings == read.settings))
        std::abort();
    return 0;
}
