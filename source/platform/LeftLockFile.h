#pragma once

#include <QString>

namespace tb {

// Removes the lock file `lockFile`, and the `.rmlock` file QLockFile takes while it removes a
// stale lock, where a writer that was killed left them empty. QLockFile creates its file, locks
// it (flock) and only then writes the owner's process id into it; killed in between (the first
// lock of a process is slow to fill: it reads the machine's identity), it leaves an empty file
// that every later QLockFile takes for a live lock until the stale time passes (a settings write
// blocked for 30 s; the registry file locks with an flock of its own and needs none of this). An
// empty file whose flock anybody can take has no live owner. A lock file with an owner written in it is left to QLockFile, which
// checks that process itself.
void removeEmptyLeftLockFile(const QString& lockFile);

} // namespace tb
