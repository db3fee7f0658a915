#pragma once
// Why something could not be done, as a value. The core names the kind, the thing it
// concerns and the system's code; the window and the command-line companion each put
// that into words of their own language.

#include <cstdint>
#include <string>
#include <system_error>

namespace qm {

enum class ReasonKind : uint8_t {
    None,
    File,                     // a file operation failed: cause
    FileUnreadable,           // a file to be rewritten in part could not be read: cause
    ColorsUnread,             // cnf.dat could not be read when the folder was opened
    LineEndInField,           // number: the set's field (0 to 139) that holds CR LF
    BackupWouldNotReadBack,   // the set holds bytes that are no CP932 text
    ValuesNotStored,          // subject: the registry values not written, ", " between them
    NumberOutOfRange,         // number: the box, 0 the internal width, 1 the height
    SettingsFileUnknown,      // no place for the settings file (HOME is not set)
    SettingsFileUnchecked,    // subject: the file, which could not be looked at
    SettingsFileUnreadable,   // subject: the file
    SettingsFileNotSetAside,  // subject: the damaged file, which could not be renamed
    SettingsFileSetAside,     // subject: where the damaged file was moved; defaults apply
    SettingsFileUnwritable,   // subject: the file; detail: why, when known
    SettingsPlaceForeign,     // a registry place the settings file does not hold
    GameRunning,              // subject: the Wine prefix in which the game or PlayOnline runs
    WineRegFailed,            // subject: the prefix; detail: the tool's failure
    WineMissing,              // no wine program to run
    WineToolFailed,           // number: wine reg's exit status, -1 when it did not run
    NoWinePrefix,             // no Wine prefix chosen or found
    NotAWinePrefix,           // subject: the folder, which holds no system.reg
    WineFileMissing,          // subject: the registry file of the prefix
    WineFileTooLarge,         // subject: the file
    WineFileUnreadable,       // subject: the file
    WineFileDamaged,          // subject: the file, which is no Wine registry file
    BadKeyName,               // a registry key name the store cannot hold
    RegistryDenied,           // the system refused a registry write; subject: the key
    RegistryError,            // number: the system's code; subject: the key; detail: its text
    NoWineOnThisSystem,       // the game runs without Wine here
    ProgramMissing,           // subject: the program that was to be started
    ProgramNotExecutable,     // subject: the program
    StartFailed,              // subject: the program; detail: the system's text, when any
    TempFolder,               // the private temporary folder could not be made: cause
    TempFile,                 // a temporary file could not be made: cause
    ScreenNotGrabbed,         // nothing could be taken from the screen
    ShotFolder,               // subject: the capture folder, which could not be made: cause
    ShotNotSaved,             // subject: the shot's file: cause or detail
    TitleFileUnknown,         // a book title file not readable as one is not rewritten
    LauncherPrefixUnknown,    // no Wine prefix known for the launcher, which is not started
    LauncherNotAPrefix,       // subject: the launcher's prefix, which is no Wine prefix
    CaptureNameUnusable,      // number: the CaptureNameFault; subject: the character or name
    ShotNameUnusable,         // a fixed shot name that is unusable, as CaptureNameUnusable
};
inline constexpr ReasonKind kLastReasonKind = ReasonKind::ShotNameUnusable;

// Why a fixed screenshot name cannot be used.
enum class CaptureNameFault : uint8_t {
    Empty,
    Separator,  // a "/" or "\"
    Colon,
    Character,   // subject: one of < > " | ? * or "?" for a control character
    BadEnd,      // ends in "." or a blank
    DeviceName,  // subject: the name, which Windows keeps for a device
};

struct Reason {
    ReasonKind kind = ReasonKind::None;
    std::error_code cause{};   // the system's code, when a system call failed
    std::u16string subject{};  // the file, folder, prefix or values it concerns
    std::u16string detail{};   // text the system or another program gave, in its language
    int64_t number = 0;        // a field, box or exit status, as the kind says

    explicit operator bool() const { return kind != ReasonKind::None; }
    bool operator==(const Reason&) const = default;
};

// What a failed file operation means to a player. Codes outside these are named by the
// system's own text.
enum class FileProblem : uint8_t {
    Other,
    NotRegular,      // a device, pipe or folder where a file was expected
    Denied,          // no permission, or a read-only file
    ReadOnlyDrive,   // the file system is mounted read-only
    NoSpace,         // the disk or the quota is full
    NoFolder,        // the folder does not exist
    FolderInTheWay,  // a folder has the file's name
    TooLarge,        // past the system's file-size limit
    NameTooLong,     // the path or a name in it is longer than the system takes
    TooLongForGame,  // the file on disk is far longer than the game's file can be
    LinkLoop,
    InUse,      // another program holds the file (Windows)
    NameTaken,  // a file of that name exists
};
FileProblem ClassifyFileError(std::error_code error);

// The system's own text for a code, in the system's language (UTF-16).
std::u16string SystemErrorText(std::error_code error);

}  // namespace qm
