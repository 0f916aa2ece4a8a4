// Whether this user ever had the filter registered by this program or undid it. The program registers
// its module on first use only; after `unregister` it keeps to the user's choice and uses its module
// without registering it.
#pragma once

namespace aldra::host {

bool RegistrationEverMade();
// Best effort: a registry that cannot be written (a sandbox) records nothing.
void RecordRegistration();

}  // namespace aldra::host
