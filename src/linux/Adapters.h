#pragma once

// The one place that picks the Linux adapter of each port.
namespace murva::Adapters {
} // namespace murva::Adapters
