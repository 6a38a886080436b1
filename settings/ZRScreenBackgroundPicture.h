#pragma once

#include <QImage>
#include <QString>
#include <optional>

class UserDefaults;

// The desktop picture of the miniature screens, read once per process by the first view that shows it, from
// that view's settings: the user's own picture ("ZRScreenBackgroundViewImagePath"), else the program's own
// "ZRScreenBackground", else none. Main thread only.
class ZRScreenBackgroundPicture {
public:
    // Pictures are kept at most this many pixels a side: the views are small, and a photograph read in
    // full would cost far more memory than it shows.
    static constexpr int MaximumSide = 1024;

    // The settings are read on the first call only.
    static const ZRScreenBackgroundPicture& shared(const UserDefaults& defaults);
    // The picture as the settings and the program's files give it now.
    static ZRScreenBackgroundPicture load(const UserDefaults& defaults);
    // The picture of a regular file of bounded size at the path, scaled down to MaximumSide; null (and
    // logged) for anything else.
    static QImage userPicture(const QString& path);

    // Null when no picture could be read.
    const QImage& image() const { return m_image; }
    bool isUsersOwn() const { return m_isUsersOwn; }
    // The grey copy, made from the picture on first use.
    const QImage& grayScaleImage() const;

private:
    QImage m_image;
    bool m_isUsersOwn = false;
    mutable std::optional<QImage> m_grayScaleImage;
};
