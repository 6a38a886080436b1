#include "settings/ZRScreenBackgroundPicture.h"

#include "platform/foundation/RegularFile.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ImageExtensions.h"
#include "toolkit/ZRLog.h"

#include <QBuffer>
#include <QImageReader>

namespace {

const QString ImagePathUserDefaultName = QStringLiteral("ZRScreenBackgroundViewImagePath");
const QString ImageName = QStringLiteral("ZRScreenBackground");
// Desktop pictures are photographs of a few megabytes; anything past these bounds is no desktop picture.
constexpr qint64 MaximumFileBytes = 64 * 1024 * 1024;
constexpr int MaximumDecodedMegabytes = 128;

QImage scaledDown(const QImage& image) {
    if (image.width() <= ZRScreenBackgroundPicture::MaximumSide &&
        image.height() <= ZRScreenBackgroundPicture::MaximumSide)
        return image;
    return image.scaled(ZRScreenBackgroundPicture::MaximumSide, ZRScreenBackgroundPicture::MaximumSide,
                        Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

const ZRScreenBackgroundPicture& ZRScreenBackgroundPicture::shared(const UserDefaults& defaults) {
    static const ZRScreenBackgroundPicture picture = load(defaults);
    return picture;
}

ZRScreenBackgroundPicture ZRScreenBackgroundPicture::load(const UserDefaults& defaults) {
    ZRScreenBackgroundPicture picture;
    const QString path = defaults.stringForKey(ImagePathUserDefaultName);
    if (!path.isEmpty()) {
        picture.m_image = userPicture(path);
        picture.m_isUsersOwn = !picture.m_image.isNull();
    }
    if (picture.m_image.isNull())
        picture.m_image = scaledDown(ZRImageNamed(ImageName));
    return picture;
}

QImage ZRScreenBackgroundPicture::userPicture(const QString& path) {
    QString error;
    std::optional<QByteArray> data = readRegularFile(path, MaximumFileBytes, &error);
    if (!data) {
        ZRLog("screen background picture not read from %@: %@", path, error);
        return {};
    }
    QBuffer buffer(&*data);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(MaximumDecodedMegabytes);
    // Readers that can decode at a smaller size (JPEG) then never hold the picture in full.
    const QSize size = reader.size();
    if (size.width() > MaximumSide || size.height() > MaximumSide)
        reader.setScaledSize(size.scaled(MaximumSide, MaximumSide, Qt::KeepAspectRatio));
    const QImage image = reader.read();
    if (image.isNull()) {
        ZRLog("screen background picture not read from %@: %@", path, reader.errorString());
        return {};
    }
    return scaledDown(image);
}

const QImage& ZRScreenBackgroundPicture::grayScaleImage() const {
    if (!m_grayScaleImage)
        m_grayScaleImage = ::grayScaleImage(m_image);
    return *m_grayScaleImage;
}
