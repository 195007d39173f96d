#pragma once

#include <cstddef>
#include <iterator>

namespace zelmaro {

// The records of a keyed list in their order, without the keys (clang 14
// cannot use libstdc++ 12's std::views::values).
template <class Map> class TValuesView {
public:
    using value_type = typename Map::mapped_type;

    class Iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = typename Map::mapped_type;
        using difference_type = std::ptrdiff_t;
        using pointer = const value_type*;
        using reference = const value_type&;

        Iterator() = default;
        explicit Iterator(typename Map::const_iterator it) : FIt(it) {}
        reference operator*() const { return FIt->second; }
        pointer operator->() const { return &FIt->second; }
        Iterator& operator++()
        {
            ++FIt;
            return *this;
        }
        Iterator operator++(int) { return Iterator(FIt++); }
        Iterator& operator--()
        {
            --FIt;
            return *this;
        }
        Iterator operator--(int) { return Iterator(FIt--); }
        bool operator==(const Iterator&) const = default;

    private:
        typename Map::const_iterator FIt;
    };

    TValuesView(const Map& map) : FMap(&map) {}
    Iterator begin() const { return Iterator(FMap->begin()); }
    Iterator end() const { return Iterator(FMap->end()); }
    std::size_t size() const { return FMap->size(); }
    bool empty() const { return FMap->empty(); }
    const value_type& front() const { return FMap->begin()->second; }
    const value_type& back() const { return std::prev(FMap->end())->second; }

private:
    const Map* FMap;
};

} // namespace zelmaro
