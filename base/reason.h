#pragma once

#include <QString>
#include <QStringList>

// Why a file or a picture could not be read or written: one typed reason a failure, whose sentence
// for people is made here alone (the way libspng keeps spng_errno beside spng_strerror). Code
// decides by the reason; people read the sentence.
enum class Reason {
    None,
    System,    // the system's own words (%1)
    Cancelled, // the user stopped the run

    // Files and folders
    NoName,            // no file name was given
    FolderInTheWay,    // a folder stands at the file's path
    NotRegularFile,    // a device, pipe or socket stands at the path (and is left alone)
    IsFolder,          // the path to read is a folder
    NotRegular,        // the path to read is a device, pipe or socket
    FileLarger,        // larger than %1 bytes
    LeadsOut,          // the path leads out of %1
    LinkLeadsOut,      // the path leads out of %1 through a symbolic link
    LinkOutside,       // a symbolic link to %1, outside %2
    LinkToNothing,     // a symbolic link to %1, which does not exist
    FolderMissing,     // its folder %1 does not exist
    FolderLeadsOut,    // its folder leads out of %1
    NotAFolder,        // a step of the path is not a folder
    NotTextFile,       // a project file that holds binary data
    FolderNotMade,     // the folder %1 could not be created: %2
    NotWritten,        // never written (no bytes were given for it)
    ImageNotEncoded,   // the image could not be encoded
    NoImage,           // there is no image to write
    NoFormat,          // the project names no image format
    NoSize,            // the project chooses no image size
    WriterCannot,      // the %1 writer cannot encode it
    CannotHold,        // %1 cannot hold %2 x %3 pixels
    FormatHoldsAtMost, // %1 holds at most %2 x %2 pixels
    FormatSquareOnly,  // %1 holds square pictures only
    FormatPowersOfTwo, // %1 holds 16 x 16 or less, or powers of two to 1024
    NotKept,           // it could not be kept in %1: %2
    NotPutBack,        // it could not be put back: %1
    ChangedSince,      // changed after the apply
    UndoListUnreadable,
    NothingToUndo,  // no apply to undo in %1
    IsLink,         // %1 is a symbolic link, kept as one
    LinkOnTheWay,   // the way to %1 leads out of the app's folder through a link
    LockNotMade,    // its lock %1 could not be made: %2
    LockHeld,       // another run (%1) is changing it
    TooManyFolders, // more than %1 folders, more than an app's project
    NoAppVersion,   // a badge's {version}, and the project gives none

    // Pictures
    NoPictureNamed,   // the project names no picture
    NotAPicture,      // no reader takes it
    PictureTooLarge,  // past the picture's side and pixel limits
    DecodingBudget,   // decoding it would take more than the budget
    HeaderUnreadable, // its header cannot be read
    EndsEarly,        // the file ends early
    JpegHeader,       // its JPEG header cannot be read
    JpegCorrupt,      // its JPEG data is corrupt
    NoPictureData,    // it holds no picture data
    GifCorrupt,       // its GIF data is corrupt
    ReaderError,      // the reader's own words (%1)
    NotReadWhole,     // it could not be read whole
    NotDrawn,         // an SVG that could not be drawn
    NoVectorForm,     // %1 has no form as the paths of a vector layer

    // SVG pictures (an element's problem names the element first)
    SvgTooLarge,         // more than %1 MB
    SvgTooLargeInflated, // more than %1 MB once inflated
    SvgCompressedCorrupt,
    SvgEntities,
    SvgTooDeep, // nested more than %1 deep
    SvgNotSvg,
    SvgNoArea,    // a viewBox without area: "%1"
    SvgMalformed, // the parser's words (%1), line %2, column %3
    SvgNoSize,
    SvgSizeOutOfRange,  // %1 x %2 pixels, more than %3 a side
    SvgTooManyElements, // more than %1 once its <use> elements are expanded, a run of text as %2
    SvgTooManyStops,    // a gradient of more than %1 stops
    SvgRepeatsItself,   // %1, a <use>, repeats itself
    SvgNoReader,        // the toolkit's SVG plug-in is missing
    SvgImagesNotRead,   // images named where none may be read
    ImageDataEmpty,     // a data: URI that holds nothing
    ImageUrl,           // an image on the network
    ImageAbsolute,      // an absolute path
    ImageNoFile,        // a fragment, naming no file
    ImageAbove,         // a path that climbs out of the SVG's folder
    ImageSelf,          // the SVG itself
    ImageSvg,           // another SVG
    ImageEmpty,         // an empty file
    ImagesTooLarge,     // the images together past %1 megapixels
};

// A reason with what its sentence names, and for a problem inside a part of a file (an SVG's
// element) where it is.
struct Problem
{
    Reason reason = Reason::None;
    QStringList details;
    QString where; // "its <image> on line 3 refers to "a.png"", or empty
    explicit operator bool() const { return reason != Reason::None; }
    // The sentence for people: "its <image> on line 3 refers to "a.png": an absolute path is not
    // read, only files beside the SVG".
    QString text() const;
};

// The sentence of `reason` with `details` in their places, without a final stop.
QString sentence(Reason reason, const QStringList& details = {});

// A problem of the system's error number `error`.
Problem systemProblem(int error);
