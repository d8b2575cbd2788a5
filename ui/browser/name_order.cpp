#include "ui/browser/name_order.h"

#include <QLocale>
#include <algorithm>
#include <numeric>
#include <string_view>
#include <utility>

namespace ottomix {

NameOrder::NameOrder() : byBytes_(collator_.locale().language() == QLocale::C) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
    offsets_.push_back(0);
}

void NameOrder::reserve(size_t count) {
    if (byBytes_) {
        heads_.reserve(count);
        offsets_.reserve(count + 1);
        bytes_.reserve(count * 24);
    } else {
        collated_.reserve(count);
    }
}

void NameOrder::add(const QString& text) {
    if (!byBytes_) {
        // Case-insensitive, the collator compares no further than accents.
        collated_.push_back(collator_.sortKey(text));
        return;
    }
    const size_t start = bytes_.size();
    // ASCII folds by itself; anything else goes through Unicode folding.
    bool ascii = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80) {
            ascii = false;
            break;
        }
        bytes_ += static_cast<char>(u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u);
    }
    if (!ascii) {
        bytes_.resize(start);
        bytes_ += text.toCaseFolded().toStdString();
    }
    uint64_t head = 0;
    for (size_t i = 0; i < 8; ++i) {
        head <<= 8;
        if (start + i < bytes_.size()) head |= static_cast<unsigned char>(bytes_[start + i]);
    }
    heads_.push_back(head);
    offsets_.push_back(static_cast<uint32_t>(bytes_.size()));
}

void NameOrder::sort(std::vector<BrowserRow>* rows) const {
    std::vector<uint32_t> order(rows->size());
    std::iota(order.begin(), order.end(), uint32_t{0});
    auto byName = [rows](uint32_t a, uint32_t b) {
        const int byBytes = (*rows)[a].name.compare((*rows)[b].name);
        return byBytes != 0 ? byBytes < 0 : a < b;
    };
    if (byBytes_) {
        auto key = [this](uint32_t i) {
            return std::string_view(bytes_.data() + offsets_[i], offsets_[i + 1] - offsets_[i]);
        };
        std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            if (heads_[a] != heads_[b]) return heads_[a] < heads_[b];
            // Equal heads: equal first eight bytes, or keys that short.
            const std::string_view keyA = key(a), keyB = key(b);
            const size_t skip = std::min<size_t>({8, keyA.size(), keyB.size()});
            const int byKey = keyA.substr(skip).compare(keyB.substr(skip));
            return byKey != 0 ? byKey < 0 : byName(a, b);
        });
    } else {
        std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            const int byKey = collated_[a].compare(collated_[b]);
            return byKey != 0 ? byKey < 0 : byName(a, b);
        });
    }
    std::vector<BrowserRow> sorted;
    sorted.reserve(rows->size());
    for (uint32_t i : order) sorted.push_back(std::move((*rows)[i]));
    *rows = std::move(sorted);
}

}  // namespace ottomix
