#pragma once

#include <QString>

// An exclusive flock(2) lock on a file, taken without waiting. The kernel drops it when the
// descriptor closes, so a crashed or killed holder never leaves a stale lock behind; the lock
// file itself may stay. Move-only: one owner closes the descriptor.
class FileLock
{
public:
    enum class Open {
        Existing, // lock a file that is there (read-only, nothing is made)
        Create,   // make the file (0600) when missing
    };
    enum class Result {
        Locked,  // held by this object now (or already was)
        Busy,    // another holder has it
        Missing, // Open::Existing and there is no such file
        Failed,  // could not be opened (a link, no permission, …); see error
    };

    FileLock() = default;
    ~FileLock();
    FileLock(FileLock &&other) noexcept;
    FileLock &operator=(FileLock &&other) noexcept;
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // A link at path is refused rather than followed: the lock belongs to the name itself.
    Result tryLock(const QString &path, Open open, QString *error = nullptr);
    void unlock();
    bool isLocked() const { return m_fd >= 0; }
    QString path() const { return m_path; }

private:
    int m_fd = -1;
    QString m_path;
};
