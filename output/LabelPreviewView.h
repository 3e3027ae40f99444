#pragma once

// A label's picture in a window: scaled to the room it has with its aspect
// kept, a thin line for the label's edge. Without a picture it shows why
// there is none; what the picture could not draw is named in a small line
// below it ("Não desenhado: ..."), every item in its tooltip.

#include "preview/LabelPreview.h"

#include <QWidget>

class QLabel;

namespace zev {

class TLabelPreviewView final : public QWidget
{
    Q_OBJECT

public:
    // `room`: the size the view asks its layout for.
    explicit TLabelPreviewView(QSize room, QWidget* parent = nullptr);

    void SetPicture(TLabelPicture picture);
    // Shows the text in place of a picture.
    void SetReason(const QString& reason);
    // Nothing at all: no picture, no reason.
    void Clear();

    const TLabelPicture& Picture() const { return m_picture; }
    // The text shown in place of a picture; empty when a picture shows.
    QString ReasonText() const;
    // The line naming what was not drawn; empty when everything was.
    QString GapsText() const;
    // Where the picture is drawn, in the view's coordinates; empty when none.
    QRect PictureRect() const;

    QSize sizeHint() const override { return m_room; }

private:
    class TPictureArea;

    void ShowGaps();

    const QSize m_room;
    TLabelPicture m_picture;
    TPictureArea* m_area = nullptr;
    QLabel* m_reasonLbl = nullptr;
    QLabel* m_gapsLbl = nullptr;
};

// "Não desenhado: " and the gaps' texts, one after another; empty for none.
QString GapsLine(const std::vector<TPreviewGap>& gaps);

} // namespace zev
