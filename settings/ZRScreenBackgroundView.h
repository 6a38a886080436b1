#pragma once

#include "toolkit/ZRKeyWindowReflectingView.h"

#include <QImage>
#include <QRectF>
#include <QVariantAnimation>
#include <optional>

class UserDefaults;

// A miniature screen: the desktop picture (or a plain grey), a menu-bar strip along the top, a Dock strip
// at the bottom and a thin rounded border, behind controls that stand for places on a screen. The picture
// shows in colour only while the view's window is active and the view is enabled, and fades to grey (and
// back) over a second.
class ZRScreenBackgroundView : public ZRKeyWindowReflectingView {
    Q_OBJECT
public:
    // A view that reads the picture and whether it shows from the settings given.
    explicit ZRScreenBackgroundView(const UserDefaults& defaults, QWidget* parent = nullptr);

    // Whether the view draws a screen at all; views that are too small to read as one answer no.
    virtual bool drawsScreenBackground() const;
    // drawsScreenBackground and the setting "ZRScreenBackgroundViewImageEnabled" (on unless set to a
    // boolean that is off).
    bool drawsScreenBackgroundImage() const;
    // The strips exist: the program lets the views draw them, and the view draws a screen (which may
    // depend on its size).
    bool drawsDecorations() const;

    // Not QWidget's enabled state, which would disable every control inside: this one only shows the
    // picture in colour or grey (a subclass may pass it on to its controls).
    bool enabled() const { return m_enabled; }
    virtual void setEnabled(bool enabled);
    // Negative: automatic (thinner on high-density screens, thicker with increased contrast).
    double borderWidth() const { return m_borderWidth; }
    void setBorderWidth(double width) { m_borderWidth = width; }
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius) { m_cornerRadius = radius; }
    // Taken off the light grey behind a faint picture, for views that sit on a light pane.
    double brightnessReduction() const { return m_brightnessReduction; }
    void setBrightnessReduction(double reduction) { m_brightnessReduction = reduction; }

    void reflectKeyWindowStatusChange() override;

    // The painted regions, in the view's coordinates: the strips are empty without decorations, the
    // picture is none until the view first shows it.
    QRectF menuBarLayer() const;
    QRectF dockLayer() const;
    struct DesktopImageLayer {
        bool inColour = false;
        double opacity = 0;
    };
    const std::optional<DesktopImageLayer>& desktopImageLayer() const { return m_desktopImageLayer; }
    // The cross-fade between colour and grey: runs from 0 to 1 after each change.
    QVariantAnimation& desktopImageFade() { return m_fade; }

protected:
    const UserDefaults& defaults() const { return m_defaults; }
    void setUp();
    void paintEvent(QPaintEvent* event) override;
    // The window's device pixel ratio is above 1.5.
    virtual bool isOnRetinaDisplay() const;

private:
    // Applies colours and geometry, as a layer tree would; one paint of the whole view.
    void updateLayer(QPainter& painter);
    void drawDesktopImage(QPainter& painter);
    // Makes the picture layer, or fades it to the state of now; true when something changed.
    bool reflectDesktopImage(bool animated);
    bool hasPicture() const;
    double effectiveBorderWidth() const;
    // The picture filling the view at its pixel size, colour or grey, made on first use per size.
    const QImage& filledImage(bool inColour);

    const UserDefaults& m_defaults;
    std::optional<DesktopImageLayer> m_desktopImageLayer;
    bool m_enabled = true;
    double m_borderWidth = 1.0;
    double m_cornerRadius = 0;
    double m_brightnessReduction = 0;
    QVariantAnimation m_fade;
    QImage m_filled[2]; // grey, colour
};
