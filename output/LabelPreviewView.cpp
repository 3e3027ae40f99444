#include "output/LabelPreviewView.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace zev {

// The picture itself: it takes whatever room the view gives it.
class TLabelPreviewView::TPictureArea final : public QWidget
{
public:
    explicit TPictureArea(const TLabelPreviewView& view) : m_view(view)
    {
        setObjectName(QStringLiteral("PictureArea"));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

    // The image scaled into the area, centred, its aspect kept.
    QRect Target() const
    {
        const QImage& image = m_view.m_picture.image;
        if (image.isNull() || width() < 3 || height() < 3)
            return {};
        // One pixel each side for the label's edge.
        const QSize room(width() - 2, height() - 2);
        const QSize scaled = image.size().scaled(room, Qt::KeepAspectRatio);
        const QPoint corner((width() - scaled.width()) / 2, (height() - scaled.height()) / 2);
        return {corner, scaled.expandedTo(QSize(1, 1))};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const QRect target = Target();
        if (target.isEmpty())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_view.m_picture.image);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
        painter.drawRect(target.adjusted(-1, -1, 0, 0));
    }

private:
    const TLabelPreviewView& m_view;
};

QString GapsLine(const std::vector<TPreviewGap>& gaps)
{
    if (gaps.empty())
        return {};
    QStringList texts;
    for (const TPreviewGap& gap : gaps)
        texts << GapText(gap);
    return QString::fromUtf8("Não desenhado: ") + texts.join(QStringLiteral("; "));
}

TLabelPreviewView::TLabelPreviewView(const QSize room, QWidget* parent)
    : QWidget(parent), m_room(room)
{
    setObjectName(QStringLiteral("LabelPreviewView"));
    m_area = new TPictureArea(*this);
    m_reasonLbl = new QLabel;
    m_reasonLbl->setObjectName(QStringLiteral("ReasonLbl"));
    m_reasonLbl->setWordWrap(true);
    m_reasonLbl->setAlignment(Qt::AlignCenter);
    m_reasonLbl->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    m_gapsLbl = new QLabel;
    m_gapsLbl->setObjectName(QStringLiteral("GapsLbl"));
    // A long list must not widen the window: the tooltip has it all.
    m_gapsLbl->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    QFont small = m_gapsLbl->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_gapsLbl->setFont(small);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_area, 1);
    layout->addWidget(m_reasonLbl, 1);
    layout->addWidget(m_gapsLbl);
    Clear();
}

void TLabelPreviewView::SetPicture(TLabelPicture picture)
{
    m_picture = std::move(picture);
    const bool shown = m_picture.HasPicture();
    m_area->setVisible(shown);
    m_reasonLbl->setVisible(!shown);
    m_reasonLbl->setText(shown ? QString() : m_picture.noPreview);
    ShowGaps();
    // The picture takes the reason's room now, not at the next event.
    layout()->activate();
    m_area->update();
}

void TLabelPreviewView::SetReason(const QString& reason)
{
    TLabelPicture none;
    none.noPreview = reason;
    SetPicture(std::move(none));
}

void TLabelPreviewView::Clear()
{
    SetPicture({});
}

QString TLabelPreviewView::ReasonText() const
{
    return m_reasonLbl->text();
}

QString TLabelPreviewView::GapsText() const
{
    return m_gapsLbl->toolTip();
}

QRect TLabelPreviewView::PictureRect() const
{
    const QRect target = m_area->Target();
    return target.isEmpty() || m_area->isHidden() ? QRect()
                                                    : target.translated(m_area->pos());
}

void TLabelPreviewView::ShowGaps()
{
    const QString line = GapsLine(m_picture.gaps);
    m_gapsLbl->setToolTip(line);
    m_gapsLbl->setVisible(!line.isEmpty());
    // Elided to the room the view has; the tooltip keeps the whole line.
    const int room = std::max(m_room.width(), width());
    m_gapsLbl->setText(m_gapsLbl->fontMetrics().elidedText(line, Qt::ElideRight, room));
}

} // namespace zev
