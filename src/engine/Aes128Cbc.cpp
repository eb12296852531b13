#include "Aes128Cbc.h"

#include <nettle/aes.h>
#include <nettle/cbc.h>

#include <cstring>

namespace Aes128Cbc {

bool decrypt(const uint8_t key[16], const uint8_t iv[16], std::string &data, bool stripPadding)
{
    if (data.size() % 16 != 0)
        return false;
    if (data.empty())
        return !stripPadding;
    aes128_ctx ctx;
    aes128_set_decrypt_key(&ctx, key);
    uint8_t chain[16];
    memcpy(chain, iv, 16);
    auto *bytes = reinterpret_cast<uint8_t *>(data.data());
    cbc_decrypt(&ctx, reinterpret_cast<nettle_cipher_func *>(aes128_decrypt), 16, chain, data.size(), bytes, bytes);
    if (!stripPadding)
        return true;
    const uint8_t pad = bytes[data.size() - 1];
    if (pad == 0 || pad > 16)
        return false;
    for (size_t i = data.size() - pad; i < data.size(); ++i) {
        if (bytes[i] != pad)
            return false;
    }
    data.resize(data.size() - pad);
    return true;
}

} // namespace Aes128Cbc
