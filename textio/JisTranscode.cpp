#include "JisTranscode.h"

namespace textio {
namespace {

constexpr unsigned char kEsc = 0x1B;

bool In(unsigned char b, unsigned lo, unsigned hi) { return b >= lo && b <= hi; }

enum class IsoSet { Ascii, Kana, X0208, X0212 };

void Designate(IsoSet& current, IsoSet wanted, ByteVector& out) {
    if (current == wanted) return;
    current = wanted;
    switch (wanted) {
    case IsoSet::Ascii: out.insert(out.end(), {kEsc, '(', 'B'}); break;
    case IsoSet::Kana: out.insert(out.end(), {kEsc, '(', 'I'}); break;
    case IsoSet::X0208: out.insert(out.end(), {kEsc, '$', 'B'}); break;
    case IsoSet::X0212: out.insert(out.end(), {kEsc, '$', '(', 'D'}); break;
    }
}

}  // namespace

void Iso2022JpToEucJp(const unsigned char* in, size_t n, ByteVector& out) {
    out.reserve(out.size() + n + n / 4);
    IsoSet set = IsoSet::Ascii;
    size_t i = 0;
    while (i < n) {
        const unsigned char b = in[i];
        if (b == kEsc) {
            const size_t left = n - i;
            if (left >= 3) {
                const unsigned char a = in[i + 1], c = in[i + 2];
                if (a == '(' && (c == 'B' || c == 'J')) {
                    set = IsoSet::Ascii;
                    i += 3;
                    continue;
                }
                if (a == '(' && c == 'I') {
                    set = IsoSet::Kana;
                    i += 3;
                    continue;
                }
                if (a == '$' && (c == '@' || c == 'B')) {
                    set = IsoSet::X0208;
                    i += 3;
                    continue;
                }
                if (a == '$' && c == '(' && left >= 4) {
                    const unsigned char d = in[i + 3];
                    if (d == 'D' || d == '@' || d == 'B') {
                        set = d == 'D' ? IsoSet::X0212 : IsoSet::X0208;
                        i += 4;
                        continue;
                    }
                }
            }
            out.push_back(kEsc);  // not a designation this converter knows
            ++i;
            continue;
        }
        if (b < 0x21 || b == 0x7F) {
            out.push_back(b);
            ++i;
            continue;
        }
        if (b >= 0x80) {
            out.push_back('?');
            ++i;
            continue;
        }
        switch (set) {
        case IsoSet::Ascii:
            out.push_back(b);
            ++i;
            break;
        case IsoSet::Kana:
            if (b <= 0x5F) {
                out.push_back(0x8E);
                out.push_back(static_cast<unsigned char>(b | 0x80));
            } else {
                out.push_back('?');
            }
            ++i;
            break;
        case IsoSet::X0208:
        case IsoSet::X0212:
            if (i + 1 < n && In(in[i + 1], 0x21, 0x7E)) {
                if (set == IsoSet::X0212) out.push_back(0x8F);
                out.push_back(static_cast<unsigned char>(b | 0x80));
                out.push_back(static_cast<unsigned char>(in[i + 1] | 0x80));
                i += 2;
            } else {
                out.push_back('?');
                ++i;
            }
            break;
        }
    }
}

void EucJpToIso2022Jp(const unsigned char* in, size_t n, ByteVector& out) {
    out.reserve(out.size() + n + n / 4 + 3);
    IsoSet set = IsoSet::Ascii;
    size_t i = 0;
    while (i < n) {
        const unsigned char b = in[i];
        if (b < 0x80) {
            Designate(set, IsoSet::Ascii, out);
            out.push_back(b);
            ++i;
        } else if (b == 0x8E && i + 1 < n && In(in[i + 1], 0xA1, 0xDF)) {
            Designate(set, IsoSet::Kana, out);
            out.push_back(static_cast<unsigned char>(in[i + 1] & 0x7F));
            i += 2;
        } else if (b == 0x8F && i + 2 < n && In(in[i + 1], 0xA1, 0xFE) && In(in[i + 2], 0xA1, 0xFE)) {
            Designate(set, IsoSet::X0212, out);
            out.push_back(static_cast<unsigned char>(in[i + 1] & 0x7F));
            out.push_back(static_cast<unsigned char>(in[i + 2] & 0x7F));
            i += 3;
        } else if (In(b, 0xA1, 0xFE) && i + 1 < n && In(in[i + 1], 0xA1, 0xFE)) {
            Designate(set, IsoSet::X0208, out);
            out.push_back(static_cast<unsigned char>(b & 0x7F));
            out.push_back(static_cast<unsigned char>(in[i + 1] & 0x7F));
            i += 2;
        } else {
            Designate(set, IsoSet::Ascii, out);
            out.push_back('?');
            ++i;
        }
    }
    Designate(set, IsoSet::Ascii, out);
}

void EucJpToCp20932(const unsigned char* in, size_t n, ByteVector& out) {
    out.reserve(out.size() + n);
    size_t i = 0;
    while (i < n) {
        const unsigned char b = in[i];
        if (b == 0x8F && i + 2 < n && In(in[i + 1], 0xA1, 0xFE) && In(in[i + 2], 0xA1, 0xFE)) {
            out.push_back(in[i + 1]);
            out.push_back(static_cast<unsigned char>(in[i + 2] & 0x7F));
            i += 3;
        } else if ((b == 0x8E || In(b, 0xA1, 0xFE)) && i + 1 < n) {
            out.push_back(b);  // a two-byte character whole, so that its second byte is no lead
            out.push_back(in[i + 1]);
            i += 2;
        } else {
            out.push_back(b);
            ++i;
        }
    }
}

void Cp20932ToEucJp(const unsigned char* in, size_t n, ByteVector& out) {
    out.reserve(out.size() + n + n / 8);
    size_t i = 0;
    while (i < n) {
        const unsigned char b = in[i];
        if (In(b, 0xA1, 0xFE) && i + 1 < n && In(in[i + 1], 0x21, 0x7E)) {
            out.push_back(0x8F);
            out.push_back(b);
            out.push_back(static_cast<unsigned char>(in[i + 1] | 0x80));
            i += 2;
        } else if (b == 0x8F && i + 2 < n) {
            out.insert(out.end(), in + i, in + i + 3);
            i += 3;
        } else if ((b == 0x8E || In(b, 0xA1, 0xFE)) && i + 1 < n) {
            out.push_back(b);
            out.push_back(in[i + 1]);
            i += 2;
        } else {
            out.push_back(b);
            ++i;
        }
    }
}

}  // namespace textio
