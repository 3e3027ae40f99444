// The catalogue package "ZEV.TXT" read and every row converted, as the
// import does before it loads anything.

#include "catalogue/ImportCadastro.h"
#include "fuzz/FuzzTarget.h"

namespace {

void RunPackage(std::string_view bytes)
{
    try {
        (void)zev::ReadPackage(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    } catch (const zev::EImportError&) {
    }
}

} // namespace

ZEV_FUZZ_TARGET("package", RunPackage);
