// Runs a piece of a test in a forked child: to kill it, to limit it, or to
// act as the unprivileged user `nobody`.

#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace tovenrak::testing {

inline constexpr uid_t kNobody = 65534;

struct ChildResult {
  int status = 0;  // As waitpid gives it.
  std::string said;
};

// Runs `body` (returning a string) in a child that dies after 60 s, as
// `nobody` when `as_nobody` (or exits 125).
template <typename Body>
ChildResult InChild(Body body, bool as_nobody = false) {
  int fds[2];
  if (::pipe(fds) != 0) return {-1, "no pipe"};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(60);
    if (as_nobody && (::setgroups(0, nullptr) != 0 ||
                      ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                      ::setresuid(kNobody, kNobody, kNobody) != 0))
      ::_exit(125);
    const std::string said = body();
    (void)!::write(fds[1], said.data(), said.size());
    ::_exit(0);
  }
  ::close(fds[1]);
  ChildResult result;
  char buffer[512];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
    result.said.append(buffer, static_cast<size_t>(n));
  ::close(fds[0]);
  ::waitpid(pid, &result.status, 0);
  return result;
}

}  // namespace tovenrak::testing
