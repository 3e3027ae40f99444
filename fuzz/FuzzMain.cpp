// libFuzzer's entry points for the one target linked into this program.

#include "fuzz/FuzzTarget.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The preview draws text: the font database needs a QGuiApplication.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication application(*argc, *argv);
    zev::fuzz::PrepareProcess([](const QString& warning) {
        std::fprintf(stderr, "toolkit warning: %s\n", qPrintable(warning));
        std::abort();
    });
    if (zev::fuzz::Targets().size() != 1)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zev::fuzz::Targets().front().run(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
