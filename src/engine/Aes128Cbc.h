#pragma once

#include <cstdint>
#include <string>

namespace Aes128Cbc {

// Decrypts data in place; with stripPadding the PKCS#7 padding is removed.
// False when the length is not whole blocks or the padding is broken.
bool decrypt(const uint8_t key[16], const uint8_t iv[16], std::string &data, bool stripPadding);

} // namespace Aes128Cbc
