#pragma once

#include "support/scoped_file_size_limit.h"
#include "support/scoped_read_only_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>

namespace inkwarden::testing {

// The ways the system can refuse a save that the program cannot get round.
enum class SaveFault { ReadOnlyFolder, FileSizeLimit, FolderReplacedByFile };

inline const char* faultName(SaveFault fault) {
    switch (fault) {
    case SaveFault::ReadOnlyFolder:
        return "ReadOnlyFolder";
    case SaveFault::FileSizeLimit:
        return "FileSizeLimit";
    case SaveFault::FolderReplacedByFile:
        return "FolderReplacedByFile";
    }
    return "?";
}

inline void PrintTo(SaveFault fault, std::ostream* out) {
    *out << faultName(fault);
}

// The two kinds of document with a file, which every fault is tried on.
enum class DocumentKind { DailyEntry, LibraryDocument };

inline void PrintTo(DocumentKind kind, std::ostream* out) {
    *out << (kind == DocumentKind::DailyEntry ? "DailyEntry" : "LibraryDocument");
}

// Every fault with every kind of document, for INSTANTIATE_TEST_SUITE_P,
// with case names such as "FileSizeLimit_DailyEntry".
inline auto everySaveFaultAndDocument() {
    return ::testing::Combine(::testing::Values(SaveFault::ReadOnlyFolder, SaveFault::FileSizeLimit,
                                                SaveFault::FolderReplacedByFile),
                              ::testing::Values(DocumentKind::DailyEntry, DocumentKind::LibraryDocument));
}

inline std::string saveFaultCaseName(
    const ::testing::TestParamInfo<std::tuple<SaveFault, DocumentKind>>& param) {
    return std::string(faultName(std::get<0>(param.param))) +
           (std::get<1>(param.param) == DocumentKind::DailyEntry ? "_DailyEntry" : "_LibraryDocument");
}

// Moves a folder aside and puts a plain file in its place for one scope, so
// the folder can neither be written into nor simply made again; the folder
// comes back when the scope ends.
class ScopedFolderReplacedByFile {
public:
    explicit ScopedFolderReplacedByFile(const QString& folder)
        : m_folder(folder)
        , m_aside(folder + QStringLiteral(".aside")) {
        if (!QDir().rename(m_folder, m_aside))
            return;
        m_movedAside = true;
        QFile blocker(m_folder);
        m_replaced = blocker.open(QIODevice::WriteOnly) && blocker.write("not a folder") > 0;
    }
    ~ScopedFolderReplacedByFile() {
        if (!m_movedAside)
            return;
        QFile::remove(m_folder);
        QDir().rename(m_aside, m_folder);
    }
    ScopedFolderReplacedByFile(const ScopedFolderReplacedByFile&) = delete;
    ScopedFolderReplacedByFile& operator=(const ScopedFolderReplacedByFile&) = delete;

    bool isReplaced() const { return m_replaced; }
    const QString& aside() const { return m_aside; }

private:
    QString m_folder;
    QString m_aside;
    bool m_movedAside = false;
    bool m_replaced = false;
};

// One save fault over the folder of `file`, for one scope.
class ScopedSaveFault {
public:
    // Below the size of any RTF document, so every save meets the limit.
    static constexpr rlim_t kSizeLimitBytes = 64;

    ScopedSaveFault(SaveFault fault, const QString& file)
        : m_fault(fault)
        , m_file(file) {
        const QString folder = QFileInfo(file).path();
        switch (fault) {
        case SaveFault::ReadOnlyFolder:
            m_readOnly.emplace(folder);
            break;
        case SaveFault::FileSizeLimit:
            m_sizeLimit.emplace(kSizeLimitBytes);
            break;
        case SaveFault::FolderReplacedByFile:
            m_replaced.emplace(folder);
            break;
        }
    }

    bool isActive() const {
        switch (m_fault) {
        case SaveFault::ReadOnlyFolder:
            return m_readOnly->isReadOnly();
        case SaveFault::FileSizeLimit:
            return true;
        case SaveFault::FolderReplacedByFile:
            return m_replaced->isReplaced();
        }
        return false;
    }

    // Where the file that was there before the fault can be read meanwhile.
    QString oldFile() const {
        if (m_fault != SaveFault::FolderReplacedByFile)
            return m_file;
        return m_replaced->aside() + QLatin1Char('/') + QFileInfo(m_file).fileName();
    }

    // What a message must say, one of these, for the person to know why.
    QStringList reasons() const {
        switch (m_fault) {
        case SaveFault::ReadOnlyFolder: // the immutable attribute for root, the mode otherwise
            return {QString::fromLocal8Bit(std::strerror(EPERM)),
                    QString::fromLocal8Bit(std::strerror(EACCES))};
        case SaveFault::FileSizeLimit:
            return {QString::fromLocal8Bit(std::strerror(EFBIG))};
        case SaveFault::FolderReplacedByFile:
            return {QStringLiteral("is not a folder")};
        }
        return {};
    }

    bool namesTheReason(const QString& message) const {
        for (const QString& reason : reasons())
            if (message.contains(reason))
                return true;
        return false;
    }

private:
    SaveFault m_fault;
    QString m_file;
    std::optional<ScopedReadOnlyFolder> m_readOnly;
    std::optional<ScopedFileSizeLimit> m_sizeLimit;
    std::optional<ScopedFolderReplacedByFile> m_replaced;
};

} // namespace inkwarden::testing
