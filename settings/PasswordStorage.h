#pragma once

#include <string>
#include <string_view>

#include "settings/CredentialList.h"

// The passwords the user chose to save, in "<roaming application data>/Parcelon/storage.bin": one blob protected
// for the current user, holding the credentials document as UTF-16LE text with its terminating NUL. UI thread only.
namespace sealwing::settings {

// The file's path; the "Parcelon" folder is created when missing. Empty when the user's roaming folder is unknown:
// a relative path would put the passwords wherever Outlook happens to run.
std::wstring PasswordStoragePath();

// Empties the list, then fills it from the file. Every failure is logged and leaves the list empty.
void LoadPasswordStorage(CredentialList& list);

// Replaces the file with the list as one step: a failure or a crash leaves the previous file.
void SavePasswordStorage(const CredentialList& list);

// The credentials document's text for the list.
std::wstring CredentialsDocumentText(const CredentialList& list);
// Adds the entries of a decrypted credentials text (up to its first NUL) to the list; a text that does not read as
// the credentials document adds nothing.
void ReadCredentialsDocument(std::wstring_view decrypted, CredentialList& list);

}  // namespace sealwing::settings
