#pragma once

#include "actions/ZRStandardPaletteItemImage.h"
#include "mouse-control/ZRMouseControlContext.h"
#include "mouse-control/ZROverlayButton.h"
#include "mouse-control/ZROverlayMenuButton.h"
#include "toolkit/ImageExtensions.h"
#include "window-access/Position.h"

#include <QPainter>
#include <QPointer>
#include <QWidget>

// The palette's content as the pop-up lays it out for one row of the five standard items with the revert
// button: 32 × 25 icons in 34 × 31 cells, 43 points apart, the revert button 8 points from the left.
namespace PaletteLayout {
constexpr int IconWidth = 32;
constexpr int IconHeight = 25;
constexpr int CellWidth = IconWidth + 2;
constexpr int CellHeight = IconHeight + 6;
constexpr int Step = 43;
constexpr int Width = 261;
constexpr int Height = 47;
constexpr int RevertSide = 24;
} // namespace PaletteLayout

inline QImage standardPaletteItemImage(std::int64_t position) {
    return ZRStandardPaletteItemImage(position, QColor(), PaletteLayout::IconWidth,
                                      PaletteLayout::IconHeight);
}

// The six buttons with their tags, images, alternate images and section drags, each sending the target's
// action. The view is the caller's until a palette window takes it.
struct PaletteButtons {
    // The buttons read the context's settings, keys and notifications.
    explicit PaletteButtons(const ZRMouseControlContext& context) : view(new QWidget) {
        view->resize(PaletteLayout::Width, PaletteLayout::Height);
        const struct Standard {
            ZROverlayButton*& button;
            std::int64_t tag;
            std::int64_t alternate;
            std::int64_t up, right, down, left; // drag images; 0 for none
        } standards[] = {
            {full, ZRPositionFull, ZRPositionCenter, 0, 0, 0, 0},
            {left, ZRPositionLeft, ZRPositionTopLeft, 10, 0, 8, 0},
            {right, ZRPositionRight, ZRPositionTopRight, 4, 0, 6, 0},
            {top, ZRPositionTop, ZRPositionBottomLeft, 0, 4, 0, 10},
            {bottom, ZRPositionBottom, ZRPositionBottomRight, 0, 6, 0, 8},
        };
        int column = 0;
        for (const Standard& s : standards) {
            s.button = new ZROverlayButton(context, view);
            s.button->setTag(s.tag);
            s.button->setImage(standardPaletteItemImage(s.tag));
            s.button->setAlternateImage(standardPaletteItemImage(s.alternate));
            const auto image = [](std::int64_t position) {
                return position ? standardPaletteItemImage(position) : QImage();
            };
            s.button->setDragUpImage(image(s.up));
            s.button->setDragRightImage(image(s.right));
            s.button->setDragDownImage(image(s.down));
            s.button->setDragLeftImage(image(s.left));
            s.button->setCanDragSectionUp(s.up != 0);
            s.button->setCanDragSectionRight(s.right != 0);
            s.button->setCanDragSectionDown(s.down != 0);
            s.button->setCanDragSectionLeft(s.left != 0);
            s.button->setGeometry(PaletteLayout::Width - 10 - PaletteLayout::CellWidth -
                                      (4 - column++) * PaletteLayout::Step,
                                  8, PaletteLayout::CellWidth, PaletteLayout::CellHeight);
        }
        revert = new ZROverlayMenuButton(context, view);
        revert->setImage(revertImage());
        revert->setAlternateImage(customActionsGlyph());
        revert->setGeometry(8, 10, PaletteLayout::RevertSide, PaletteLayout::RevertSide);
        for (ZROverlayButton* button : all())
            button->setAction([this](ZROverlayButton& sender) {
                sent.push_back({&sender, sender.sectionDragDirection(), sender.screenDragDirection(),
                                sender.alternateMode()});
            });
    }
    ~PaletteButtons() {
        if (view && !view->parent())
            delete view;
    }

    std::vector<ZROverlayButton*> all() const { return {full, left, right, top, bottom, revert}; }
    void setTarget(QObject* target) {
        for (ZROverlayButton* button : all())
            button->setTarget(target);
    }

    // A stand-in for the custom-actions glyph: a head and shoulders with a chevron beside them.
    static QImage customActionsGlyph() {
        QImage image(27, 21, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::black);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QRectF(6, 3, 8, 8));
        painter.drawChord(QRectF(3, 11, 14, 14), 0, 180 * 16);
        painter.setPen(QPen(Qt::black, 2));
        painter.drawPolyline(QPolygonF({QPointF(19, 8), QPointF(22, 11), QPointF(25, 8)}));
        return image;
    }

    QPointer<QWidget> view;
    ZROverlayButton* full = nullptr;
    ZROverlayButton* left = nullptr;
    ZROverlayButton* right = nullptr;
    ZROverlayButton* top = nullptr;
    ZROverlayButton* bottom = nullptr;
    ZROverlayMenuButton* revert = nullptr;
    // The actions sent, in order, with what the sender held then.
    struct Sent {
        ZROverlayButton* button;
        ZRSectionDragDirection section;
        ZRScreenDragDirection screen;
        bool alternateMode;
    };
    std::vector<Sent> sent;
};
