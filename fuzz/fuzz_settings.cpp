// Any bytes as a settings file: the reader must not crash, and whatever six values it reads
// must come back unchanged through a save and a second read.
#include "app/LauncherSettings.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    LauncherSettings read;
    const int count = ParseSettingsRecord(file, &read);
    if (count < 0 || count > LauncherSettings::ValueCount)
        std::abort();
    if (count < LauncherSettings::ValueCount)
        return 0;

    LauncherSettings again;
    if (ParseSettingsRecord(FormatSettingsRecord(read), &again) != LauncherSettings::ValueCount ||
        !(again == read))
        std::abort();
    return 0;
}
