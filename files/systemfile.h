#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QFile;
class QIODevice;

// The operating system's side of the files the commands write and read: one
// file per platform, systemfile_posix.cpp and systemfile_windows.cpp.
namespace belva {

// The operating system's text for an error code (errno; GetLastError() on
// Windows), in the user's language where the system has it, without trailing
// blanks, line ends or full stops. localeName "" means the user's locale from
// the environment; on Windows the user's language always.
[[nodiscard]] QString SystemErrorText(int errnum, const char *localeName = "");

// Makes `bytes` the whole content of the file, created if missing. An
// earlier regular file is replaced only once the new content is whole where
// the folder allows it; else (a second name, a folder that takes no new file)
// it is rewritten in place once the room for the new content is taken, so
// that a full disk or the file size limit leaves it whole. A new file that
// cannot be written whole is removed. A named pipe is written only when
// something reads it. Throws belva::Error with "Impossible de créer le
// fichier \"<path>\". <system text>" when the file cannot be opened or
// created for writing, and "Erreur d'écriture dans le flux" when writing
// fails once it is open (the file is closed either way). The file size
// limit's signal does not end the program.
void WriteWholeFile(const QString &path, const QByteArray &bytes);

// Opens a regular file for reading, without waiting on a pipe or device;
// on failure false, with the system's error code for SystemErrorText.
[[nodiscard]] bool OpenRegularFile(const QString &path, QFile &file, int *error);

// Opens any file for reading, a named pipe included (which may wait for its
// writer); on failure false, with the system's error code.
[[nodiscard]] bool OpenForReading(const QString &path, QFile &file, int *error);

// The calling thread's last system error code (errno; GetLastError() on
// Windows), cleared before a call whose failure is to be explained.
[[nodiscard]] int LastSystemError();
void ClearSystemError();

// Why a read or write on the device just failed: the system's text when the
// failing call left its error code (`systemError`, from LastSystemError()),
// else the device's own.
[[nodiscard]] QString DeviceErrorText(const QIODevice &device, int systemError);

// What tells two names of one file apart from two files: its device and
// number (volume and file index on Windows). Links are followed.
struct FileId
{
    quint64 device = 0;
    quint64 number = 0;
    bool valid = false; // false: no such file, or not a regular file

    [[nodiscard]] bool operator==(const FileId &o) const
    {
        return valid && o.valid && device == o.device && number == o.number;
    }
};

// The regular file at `path`, or at standard input; invalid for anything else.
[[nodiscard]] FileId RegularFileId(const QString &path);
[[nodiscard]] FileId StandardInputFileId();

// Whether two names lead to one file, through links and second names, also
// when it does not exist yet (two names of one new file in one folder).
[[nodiscard]] bool SameFile(const QString &a, const QString &b);

// Whether users other than the owner may read the open file (its group
// included). Windows: false (access lists are not looked into).
[[nodiscard]] bool OthersMayRead(const QFile &file);

// A file written from beginning to end by a run that may still fail, by the
// rule every writer of the program follows: a regular file with one name is
// replaced by a whole new one (owner and mode kept) at commit(), and a new
// file appears only then; a regular file that cannot be replaced so (a second
// name, a folder that takes no new file, an owner that cannot be kept) gets
// the new content written over it at commit(); anything else (a device, a
// named pipe) is written into as the content comes, as a shell's ">" does,
// and is never replaced. Until commit() an earlier regular file is untouched.
class OutputFile
{
public:
    OutputFile();
    ~OutputFile(); // what was not committed is cancelled
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Who may read a file that open() creates: what the system gives new
    // files, or its owner alone (on POSIX systems; on Windows the folder's
    // access list applies). A file replaced keeps its mode either way.
    enum class NewFile { Default, OwnerOnly };

    // Opens the file (a named pipe: once it has a reader). false, with
    // error(), when it cannot be opened or created.
    [[nodiscard]] bool open(const QString &path, NewFile newFile = NewFile::Default);
    // Where the content goes; DeviceErrorText explains a failed write.
    [[nodiscard]] QIODevice &device();
    // Puts the content in place; false, with error(), when it could not be.
    [[nodiscard]] bool commit();
    // Drops the content: a regular file stays as it was, a new one is not made.
    void cancel();
    [[nodiscard]] int error() const;

    struct Private;

private:
    std::unique_ptr<Private> d;
};

// Shared by both platforms' files:

// The text without its trailing blanks, line ends and full stops.
[[nodiscard]] QString WithoutTrailingStops(QString text);

// Writing failed once the file was open.
[[noreturn]] void ThrowWriteError();

} // namespace belva
