// Who may change a backup set. The set sits in the product's folder, which ordinary users may
// often write, while updates and /RESTORE may run elevated or as SYSTEM: a set made by such a
// run is given an access list that only administrators and SYSTEM may write, and such a run
// trusts no other set.
#pragma once

#include <windows.h>

#include <string>

namespace backup {

// The process runs with the Administrators group enabled: elevated on Vista and later, an
// administrator on XP, or SYSTEM.
bool RunIsElevated();

// For tests: RunIsElevated answers `elevated` while this lives.
class ScopedElevationForTesting {
public:
    explicit ScopedElevationForTesting(bool elevated);
    ~ScopedElevationForTesting();
    ScopedElevationForTesting(const ScopedElevationForTesting&) = delete;
    ScopedElevationForTesting& operator=(const ScopedElevationForTesting&) = delete;

private:
    int previous_;
};

// Owner Administrators; full control to Administrators and SYSTEM, read to Users, inherited by
// everything made inside; nothing inherited from the folder above (a protected access list).
class ProtectedDescriptor {
public:
    ProtectedDescriptor();
    ~ProtectedDescriptor();
    ProtectedDescriptor(const ProtectedDescriptor&) = delete;
    ProtectedDescriptor& operator=(const ProtectedDescriptor&) = delete;

    PSECURITY_DESCRIPTOR Get() const { return descriptor_; }
    // For CreateDirectory and CreateFile: the descriptor when the run is elevated, else null
    // (the folder's own inheritance, as any file the user makes).
    SECURITY_ATTRIBUTES* ForThisRun();

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

// Gives an existing folder (or file) the protected descriptor (owner and access list). false: it could
// not, GetLastError says why.
bool Protect(const std::string& folder);

// Empty when only administrators and SYSTEM may change what `descriptor` guards (its owner is
// one of them, and every entry of its access list that lets anyone write, delete or change the
// list names one of them); otherwise why not, for the log. Under Wine, which cannot record an
// owner and reports every file as owned by the one user all its programs run as (an
// administrator), that user counts as an administrator.
std::string WhyOthersMayChange(PSECURITY_DESCRIPTOR descriptor);
// The same for an open file or folder (opened with READ_CONTROL).
std::string WhyOthersMayChangeOpen(HANDLE object);

}  // namespace backup
