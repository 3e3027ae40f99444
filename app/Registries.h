#pragma once

// The program's two registries, built once at start-up after the windows
// exist and owned for the whole run. Windows keep a reference to this
// holder and look the registries up only when they are shown.

#include "labels/LabelRegistry.h"
#include "output/PortRegistry.h"

#include <memory>
#include <stdexcept>

namespace zev {

struct TRegistries
{
    std::unique_ptr<TPortRegistry> Ports;
    std::unique_ptr<TLabelRegistry> Labels;

    const TPortRegistry& PortRegistry() const { return *Built(Ports); }
    const TLabelRegistry& LabelRegistry() const { return *Built(Labels); }

private:
    template <typename T> static const std::unique_ptr<T>& Built(const std::unique_ptr<T>& registry)
    {
        // A window shown before start-up finished is a programming error.
        if (!registry)
            throw std::logic_error("registry used before start-up built it");
        return registry;
    }
};

} // namespace zev
