#include "platform/JpegImage.h"

#include "platform/Error.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <string>

#include <jpeglib.h>

namespace zev {

namespace {

// libjpeg reports a failure by calling error_exit, which must not return
// and must not throw through libjpeg's C frames. It jumps back to the
// guarded step that was running, and that step reports false.
struct TJpegErrors
{
    jpeg_error_mgr manager{};
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX]{};
};

[[noreturn]] void JumpBack(j_common_ptr info)
{
    auto* errors = static_cast<TJpegErrors*>(info->client_data);
    info->err->format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Level -1 is a warning: data libjpeg had to patch up, such as a truncated
// file it would finish in grey. Trace messages (levels 0 and up) are ignored.
void FailOnWarning(j_common_ptr info, int level)
{
    if (level < 0)
        JumpBack(info);
}

// Nothing of libjpeg's reaches stderr; failures are reported by exception.
void Silent(j_common_ptr) {}

// Runs one libjpeg call with the jump target set. Only `step`, a lambda
// holding references, lives in this frame while libjpeg may jump back into
// it: no object with a destructor is skipped by the jump.
template <typename Step> bool Guarded(TJpegErrors& errors, Step step)
{
    if (setjmp(errors.jump) != 0)
        return false;
    step();
    return true;
}

[[noreturn]] void ThrowInvalid(const std::string& reason)
{
    throw EConvertError("Imagem JPEG inválida: " + reason);
}

// One decompression, from creation to release; each libjpeg call is guarded
// and a failure raises EConvertError with libjpeg's own reason.
class TJpegDecompressor
{
public:
    // A creation that fails throws, so the destructor only meets created ones.
    TJpegDecompressor()
    {
        m_info.err = jpeg_std_error(&m_errors.manager);
        m_errors.manager.error_exit = JumpBack;
        m_errors.manager.emit_message = FailOnWarning;
        m_errors.manager.output_message = Silent;
        m_info.client_data = &m_errors; // kept by jpeg_create_decompress
        Run([this] { jpeg_create_decompress(&m_info); });
    }

    ~TJpegDecompressor() { jpeg_destroy_decompress(&m_info); }

    TJpegDecompressor(const TJpegDecompressor&) = delete;
    TJpegDecompressor& operator=(const TJpegDecompressor&) = delete;

    // `bytes` must outlive the decompression: libjpeg reads them in place.
    void ReadHeader(const QByteArray& bytes)
    {
        const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
        const auto size = static_cast<unsigned long>(bytes.size());
        int header = 0;
        Run([&] {
            jpeg_mem_src(&m_info, data, size);
            header = jpeg_read_header(&m_info, TRUE);
        });
        if (header != JPEG_HEADER_OK)
            ThrowInvalid("não contém uma imagem");
    }

    bool IsGrayscale() const { return m_info.jpeg_color_space == JCS_GRAYSCALE; }

    // Chooses the output colours and starts decoding, once the picture's
    // size is known to be one we are willing to hold.
    void Start()
    {
        if (m_info.jpeg_color_space == JCS_CMYK || m_info.jpeg_color_space == JCS_YCCK)
            ThrowInvalid("cores CMYK não são suportadas");
        if (static_cast<qint64>(m_info.image_width) * m_info.image_height > MaxJpegPixels)
            ThrowInvalid("grande demais (" + std::to_string(m_info.image_width) + " × " +
                         std::to_string(m_info.image_height) + " pixels)");
        m_info.out_color_space = IsGrayscale() ? JCS_GRAYSCALE : JCS_RGB;
        Run([this] { jpeg_start_decompress(&m_info); });
    }

    int Width() const { return static_cast<int>(m_info.output_width); }
    int Height() const { return static_cast<int>(m_info.output_height); }

    // Decodes every row straight into the image, which must be Width() ×
    // Height() in Grayscale8 for a grayscale picture and RGB888 otherwise.
    void ReadRows(QImage& image)
    {
        while (m_info.output_scanline < m_info.output_height) {
            JSAMPROW row = image.scanLine(static_cast<int>(m_info.output_scanline));
            JDIMENSION read = 0;
            Run([&] { read = jpeg_read_scanlines(&m_info, &row, 1); });
            if (read == 0)
                ThrowInvalid("os dados terminam antes do fim da imagem");
        }
        Run([this] { jpeg_finish_decompress(&m_info); });
    }

private:
    template <typename Step> void Run(Step step)
    {
        if (!Guarded(m_errors, step))
            ThrowInvalid(m_errors.message);
    }

    TJpegErrors m_errors;
    jpeg_decompress_struct m_info{};
};

} // namespace

QImage DecodeJpeg(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        ThrowInvalid("não há dados");
    TJpegDecompressor jpeg;
    jpeg.ReadHeader(bytes);
    jpeg.Start();
    QImage image(jpeg.Width(), jpeg.Height(),
                 jpeg.IsGrayscale() ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (image.isNull())
        ThrowInvalid("não há memória para uma imagem de " + std::to_string(jpeg.Width()) + " × " +
                     std::to_string(jpeg.Height()) + " pixels");
    jpeg.ReadRows(image);
    if (image.format() == QImage::Format_Grayscale8)
        image.convertTo(QImage::Format_RGB888);
    return image;
}

} // namespace zev
