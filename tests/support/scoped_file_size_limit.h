#pragma once

#include <QScopeGuard>
#include <csignal>
#include <sys/resource.h>

namespace inkwarden::testing {

// Lowers this process's file-size limit until the returned guard goes, so
// writes past it fail with EFBIG (SIGXFSZ is ignored meanwhile). Works for
// root too, unlike folder permissions.
[[nodiscard]] inline auto fileSizeLimit(rlim_t bytes) {
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit lowered = previous;
    lowered.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &lowered);
    return qScopeGuard([previous, handler] {
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
    });
}

} // namespace inkwarden::testing
