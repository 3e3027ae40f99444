#include "labels/Nulll.h"

#include "platform/Error.h"

namespace zev {

namespace {

QImage ProgramBitmap(const char* name)
{
    QImage image(QStringLiteral(":/bitmaps/%1.bmp").arg(QLatin1String(name)), "BMP");
    // A program built without its pictures is broken; say so at once.
    if (image.isNull())
        throw EZevError(std::string("O programa não contém a imagem ") + name + ".");
    return image;
}

} // namespace

TNullLabel::TNullLabel() : m_image(ProgramBitmap("IMG0")), m_version("1.1.0") {}

} // namespace zev
