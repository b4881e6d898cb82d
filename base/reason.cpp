#include "base/reason.h"

namespace {

struct Entry
{
    Reason reason;
    const char* sentence;
};

// Each reason's sentence; %1, %2 ... stand for its details.
const Entry sentences[] = {
    {Reason::None, "no problem"},
    {Reason::System, "%1"},
    {Reason::Cancelled, "the export was cancelled"},
    {Reason::NoName, "no file name was given"},
    {Reason::FolderInTheWay, "a folder of that name is in the way"},
    {Reason::NotRegularFile, "it is not a regular file (a device, pipe or socket) and is left alone"},
    {Reason::IsFolder, "it is a folder"},
    {Reason::NotRegular, "it is not a regular file"},
    {Reason::FileLarger, "it is larger than %1 bytes"},
    {Reason::LeadsOut, "it leads out of %1"},
    {Reason::LinkLeadsOut, "it leads out of %1 through a symbolic link"},
    {Reason::LinkOutside, "it is a symbolic link to %1, outside %2"},
    {Reason::LinkToNothing, "it is a symbolic link to %1, which does not exist"},
    {Reason::FolderMissing, "its folder %1 does not exist"},
    {Reason::FolderLeadsOut, "its folder leads out of %1"},
    {Reason::NotAFolder, "it is not a folder"},
    {Reason::NotTextFile, "it is not a text file"},
    {Reason::FolderNotMade, "the folder %1 could not be created: %2"},
    {Reason::NotWritten, "it was not written"},
    {Reason::ImageNotEncoded, "the image could not be encoded"},
    {Reason::NoImage, "there is no image to write"},
    {Reason::NoFormat, "the project names no image format"},
    {Reason::NoSize, "the project chooses no image size"},
    {Reason::WriterCannot, "the %1 writer cannot encode it"},
    {Reason::CannotHold, "%1 cannot hold %2 x %3 pixels"},
    {Reason::FormatHoldsAtMost, "%1 holds at most %2 x %2 pixels"},
    {Reason::FormatSquareOnly, "%1 holds square pictures only"},
    {Reason::FormatPowersOfTwo, "%1 holds 16 x 16 pixels or less, or 32, 64, 128, 256, 512 or 1024 a side"},
    {Reason::NotKept, "it could not be kept in %1: %2"},
    {Reason::NotPutBack, "it could not be put back: %1"},
    {Reason::ChangedSince, "it was changed after the apply"},
    {Reason::UndoListUnreadable, "its list of changes cannot be read"},
    {Reason::NothingToUndo,
     "no apply that can be undone was found in %1 (an apply keeps there what it replaced and added)"},
    {Reason::IsLink, "%1 is a symbolic link; it was left as it is"},
    {Reason::LockNotMade, "its lock %1 could not be made: %2"},
    {Reason::LockHeld, "another run (%1) is changing it"},
    {Reason::TooManyFolders,
     "it holds more than %1 folders, more than an app's project: choose the app's own folder"},
    {Reason::NoAppVersion,
     "the badge's {version} takes the app's version, and its project gives none (versionName in "
     "build.gradle, MARKETING_VERSION in project.pbxproj, version in pubspec.yaml or package.json)"},
    {Reason::LinkOnTheWay, "%1 leads out of the app's folder through a symbolic link; it was left as it is"},
    {Reason::NoPictureNamed, "the project names none"},
    {Reason::NotAPicture, "it is not a picture the program can read"},
    {Reason::PictureTooLarge, "it is larger than %1 pixels a side or %2 megapixels"},
    {Reason::DecodingBudget, "it would take more than %1 MB to decode"},
    {Reason::HeaderUnreadable, "it is damaged: its header cannot be read"},
    {Reason::EndsEarly, "it is damaged: the file ends early"},
    {Reason::JpegHeader, "it is damaged: its JPEG header cannot be read"},
    {Reason::JpegCorrupt, "it is damaged: its JPEG data is corrupt"},
    {Reason::NoPictureData, "it is damaged: it holds no picture data"},
    {Reason::GifCorrupt, "it is damaged: its GIF data is corrupt"},
    {Reason::ReaderError, "it is damaged: %1"},
    {Reason::NotReadWhole, "it is damaged: it could not be read whole"},
    {Reason::NotDrawn, "it is damaged: it could not be drawn"},
    {Reason::NoVectorForm, "%1 has no form as the paths of a vector layer"},
    {Reason::SvgTooLarge, "it is larger than %1 MB"},
    {Reason::SvgTooLargeInflated, "it is larger than %1 MB once inflated"},
    {Reason::SvgCompressedCorrupt, "it is damaged: its compressed data is corrupt"},
    {Reason::SvgEntities, "it declares entities, which are refused (their expansion has no bound)"},
    {Reason::SvgTooDeep, "its elements are nested more than %1 deep"},
    {Reason::SvgNotSvg, "it is not an SVG picture"},
    {Reason::SvgNoArea, "its viewBox \"%1\" has no area (four numbers, the width and height above zero)"},
    {Reason::SvgMalformed, "it is not well-formed SVG: %1 (line %2, column %3)"},
    {Reason::SvgNoSize, "it gives no size (a width and height, or a viewBox)"},
    {Reason::SvgSizeOutOfRange, "its size, %1 x %2 pixels, is out of range (at most %3 a side)"},
    {Reason::SvgTooManyElements,
     "it draws more than %1 elements once its <use> elements are expanded (a run of text counts as %2, for "
     "the work its layout takes)"},
    {Reason::SvgTooManyStops, "the gradient has more than %1 stops"},
    {Reason::SvgRepeatsItself, "%1 repeats itself"},
    {Reason::SvgNoReader, "no SVG reader is installed (the Qt SVG image plug-in)"},
    {Reason::SvgImagesNotRead, "images are not read here"},
    {Reason::ImageDataEmpty, "its data: URI holds nothing"},
    {Reason::ImageUrl, "only files beside the SVG and data: URIs are read, nothing from a URL"},
    {Reason::ImageAbsolute, "an absolute path is not read, only files beside the SVG"},
    {Reason::ImageNoFile, "it names no file"},
    {Reason::ImageAbove, "it climbs out of the SVG's folder, and only files beside the SVG are read"},
    {Reason::ImageSelf, "it is the SVG itself"},
    {Reason::ImageSvg, "an SVG inside an SVG picture is not drawn"},
    {Reason::ImageEmpty, "the file is empty"},
    {Reason::ImagesTooLarge, "the SVG's images hold more than %1 megapixels together"},
};

} // namespace

QString sentence(Reason reason, const QStringList& details)
{
    const char* found = "an unknown problem";
    for (const Entry& e : sentences)
        if (e.reason == reason)
            found = e.sentence;
    const QString text = QLatin1String(found);
    // All at once, so that a detail holding "%2" (a path may) is not filled in again.
    switch (details.size()) {
    case 0:
        return text;
    case 1:
        return text.arg(details[0]);
    case 2:
        return text.arg(details[0], details[1]);
    default:
        return text.arg(details[0], details[1], details[2]);
    }
}

QString Problem::text() const
{
    const QString what = sentence(reason, details);
    return where.isEmpty() ? what : where + QStringLiteral(": ") + what;
}

Problem systemProblem(int error)
{
    return {Reason::System, {qt_error_string(error)}, {}};
}
