// The mail passwords in the desktop's key ring (Secret Service, KWallet) through QtKeychain.
// When a key ring answers, QvrArc.ini holds only kKeyringMark in place of the password;
// without one, the settings file keeps the encoded form as before.
#pragma once

#include <string>

namespace qvr {

// What QvrArc.ini holds for a password the key ring keeps. Neither stored form of a
// password can take this value: the other form's text after U+E000 is base64.
inline constexpr const char* kKeyringMark = "\xEE\x80\x80*keyring";

enum class KeyringAnswer { Done, NotFound, NoKeyring };

// Each call waits, answering events, for the key ring. key: the settings key
// ("SMTPPassword", "POPPassword"), kept under the service "QuiverArchiver".
KeyringAnswer ReadKeyring(const std::string& key, std::string* value);
KeyringAnswer WriteKeyring(const std::string& key, const std::string& value);
KeyringAnswer DeleteKeyring(const std::string& key);
// True when a key ring answers this program (a key it does not hold is an answer).
bool KeyringAnswers();

// The password a stored value stands for: the key ring's for the mark ("" when it lost
// it), else the decoded form.
std::string LoadMailPassword(const std::string& key, const std::string& stored);
// What QvrArc.ini is to hold for the password: the mark when the key ring took it, else
// the encoded form (and any copy in the key ring is taken out). An empty password is
// stored empty.
std::string StoreMailPassword(const std::string& key, const std::string& password);

}  // namespace qvr
