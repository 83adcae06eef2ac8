#include "platform/win32/Win32OwnerOnlySecurity.h"

#include "platform/win32/Win32Handle.h"

namespace sealwing::platform::win32 {

OwnerOnlySecurity::OwnerOnlySecurity() { error_ = Build(); }

DWORD OwnerOnlySecurity::Build() {
    HANDLE rawToken = nullptr;
    // The thread's token first: a caller impersonating a user writes that user's secrets.
    if (!::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &rawToken) &&
        !::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &rawToken)) {
        return ::GetLastError();
    }
    const UniqueHandle token(rawToken);
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return ::GetLastError();
    user_.resize(size);
    if (!::GetTokenInformation(token.Get(), TokenUser, user_.data(), size, &size)) return ::GetLastError();
    PSID sid = reinterpret_cast<TOKEN_USER*>(user_.data())->User.Sid;

    const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + ::GetLengthSid(sid);
    acl_.resize(aclSize);
    auto* acl = reinterpret_cast<ACL*>(acl_.data());
    if (!::InitializeAcl(acl, aclSize, ACL_REVISION)) return ::GetLastError();
    if (!::AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, sid)) return ::GetLastError();
    if (!::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION)) return ::GetLastError();
    if (!::SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE)) return ::GetLastError();
    if (!::SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) return ::GetLastError();

    attributes_.nLength = sizeof(attributes_);
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
    return 0;
}

}  // namespace sealwing::platform::win32
