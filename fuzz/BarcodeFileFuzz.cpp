// A barcode file read in both of its line formats, as the selection and the
// barcode print job read it.

#include "fuzz/FuzzTarget.h"
#include "selection/BarcodeFile.h"

#include <cstdlib>

namespace {

void RunBarcodeFile(std::string_view bytes)
{
    zev::fuzz::TFuzzOperator op(zev::fuzz::WriteScratchFile(QStringLiteral("PLU.TXT"), bytes));
    for (const auto format :
         {zev::TBarcodeFileFormat::Barras, zev::TBarcodeFileFormat::Tarvo9000}) {
        const auto entries = zev::ReadBarcodeFile(op, format);
        if (!entries)
            std::abort();
        // No entry is more than its line; a Tarvo 9000 code at most 13 bytes.
        for (const std::string& entry : *entries)
            if (entry.size() > bytes.size() ||
                (format == zev::TBarcodeFileFormat::Tarvo9000 && entry.size() > 13))
                std::abort();
    }
}

} // namespace

ZEV_FUZZ_TARGET("barcode_file", RunBarcodeFile);
