#pragma once
// The program's side of the text filter library: loading it, registering its
// MIME filter for "text/plain" in the process's URL-moniker session, removing
// that registration, and setting the library's text conversion switch.

#include <string>

// TheSideFiles().txtLib: the program's path without extension + "_txt.so".
std::string TextFilterModulePath();

// Loads the library and keeps it loaded for the whole run; calls its
// "IntiHookText". A library that cannot be loaded leaves nothing loaded
// (returns false); nothing is reported to the user.
bool LoadTextFilterModule();
// Calls "UnIntiHookText" and unloads the library loaded above.
void FreeTextFilterModule();
bool TextFilterModuleLoaded();

// Self-registers the library (a short-lived load calling "DllRegisterServer"),
// gets the filter's class object and the session, and, unless
// "PARA_INTERNET_TXT_FILE" of the main settings block is 0, registers the
// filter for "text/plain". The references stay held until UnregisterTextFilter.
void RegisterTextFilter();
// Unregisters the filter from the session and drops the references; with
// `unregisterServer` also removes the class's registry entries through the
// library's "DllUnregisterServer" (a short-lived load).
void UnregisterTextFilter(bool unregisterServer);
// UnregisterTextFilter, then resets an old ".txt" association with the
// private type "text/pagora" back to "text/plain" and deletes that type's key.
void RemoveTextFilter(bool unregisterServer);
// Whether this program's session holds the text filter now.
bool TextFilterRegistered();

// Sets the library's switch through its "HookText" (1 converts, 0 passes
// plain text through); nothing happens when the library is not loaded.
void SetTextConversion(bool on);
// 1 when the address's last four characters are ".txt" in any case, else 0.
bool IsTextAddress(const std::string& address);
