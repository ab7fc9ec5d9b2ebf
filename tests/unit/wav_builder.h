// wav_builder.h - RIFF WAVE files built byte by byte for the tests, so that
// each test states the exact layout it feeds the reader (honest or lying
// chunk sizes, pad bytes, missing chunks).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes* b, std::uint32_t v) {
    b->push_back(std::uint8_t(v));
    b->push_back(std::uint8_t(v >> 8));
}

inline void Put32(Bytes* b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

inline void PutText(Bytes* b, const char* four) {
    for (int i = 0; i < 4; ++i) b->push_back(std::uint8_t(four[i]));
}

inline void Append(Bytes* to, const Bytes& from) {
    to->insert(to->end(), from.begin(), from.end());
}

// A chunk: id, size (the body's unless `size` says otherwise), body, and
// the pad byte an odd body is followed by.
inline Bytes Chunk(const char* id, const Bytes& body, long long size = -1) {
    Bytes b;
    PutText(&b, id);
    Put32(&b, size < 0 ? std::uint32_t(body.size()) : std::uint32_t(size));
    Append(&b, body);
    if (body.size() % 2) b.push_back(0);
    return b;
}

// "RIFF" size "WAVE" and the chunks; the size is the true one unless given.
inline Bytes Riff(const Bytes& chunks, const char* form = "WAVE", long long size = -1) {
    Bytes body;
    PutText(&body, form);
    Append(&body, chunks);
    Bytes b;
    PutText(&b, "RIFF");
    Put32(&b, size < 0 ? std::uint32_t(body.size()) : std::uint32_t(size));
    Append(&b, body);
    return b;
}

// The 16 bytes of a PCM "fmt " body with consistent block align and rate.
inline Bytes FormatBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    Bytes b;
    Put16(&b, tag);
    Put16(&b, channels);
    Put32(&b, rate);
    std::uint16_t align = std::uint16_t(channels * bits / 8);
    Put32(&b, rate * align);
    Put16(&b, align);
    Put16(&b, bits);
    return b;
}

// Samples 0, 1, 2, ... (mod 251): every byte's place in the data can be told.
inline Bytes Ramp(std::size_t n, int start = 0) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = std::uint8_t((start + i) % 251);
    return b;
}

// A plain PCM file of the given layout around `data`.
inline Bytes PcmWav(const Bytes& data, std::uint16_t channels = 1, std::uint16_t bits = 16,
                    std::uint32_t rate = 22050) {
    Bytes chunks = Chunk("fmt ", FormatBody(1, channels, rate, bits));
    Append(&chunks, Chunk("data", data));
    return Riff(chunks);
}
