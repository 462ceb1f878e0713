#pragma once

#include <deque>

namespace kelvaron {

// A typed character or key-down that a controller handler posts to the run
// window. Posted input acts only after the posting handler has returned, in
// the order posted.
struct PostedInput {
    enum class Kind { Char, KeyDown };
    Kind kind = Kind::Char;
    int code = 0;  // the character, or the virtual-key code
    bool operator==(const PostedInput&) const = default;
};

using PostedInputQueue = std::deque<PostedInput>;

inline void PostChar(PostedInputQueue& queue, char c) {
    queue.push_back({PostedInput::Kind::Char, static_cast<unsigned char>(c)});
}

inline void PostKeyDown(PostedInputQueue& queue, int vk) {
    queue.push_back({PostedInput::Kind::KeyDown, vk});
}

}  // namespace kelvaron
