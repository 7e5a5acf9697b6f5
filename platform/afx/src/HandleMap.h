// The temporary objects that FromHandle makes for handles without a
// permanent object, one map per thread and class. They live until their
// thread ends, as the framework's do in a program without an idle loop; a
// map that grows is first cleared of the objects whose handles are gone.
#pragma once

#include <memory>
#include <unordered_map>

namespace afx::detail {

template <typename Object, typename Handle>
class TemporaryMap {
public:
    // The temporary object for a handle; make(handle) builds a new one and
    // alive(handle) says whether a handle still names something.
    template <typename Make, typename Alive>
    Object* Get(Handle handle, Make make, Alive alive)
    {
        auto it = m_objects.find(handle);
        if (it != m_objects.end())
            return it->second.get();
        if (m_objects.size() >= kPruneSize)
            std::erase_if(m_objects, [&](const auto& entry) { return !alive(entry.first); });
        return m_objects.emplace(handle, make(handle)).first->second.get();
    }

private:
    static constexpr std::size_t kPruneSize = 256;
    std::unordered_map<Handle, std::unique_ptr<Object>> m_objects;
};

} // namespace afx::detail
