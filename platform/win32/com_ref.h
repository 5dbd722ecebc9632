#pragma once

#include <utility>

namespace orvelle {

// One reference to a COM object, released once: the owner of an interface pointer, as the
// handle owners are of handles. Move-only.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ComRef(ComRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComRef& operator=(ComRef&& other) noexcept {
    if (this != &other) {
      if (p_ != nullptr) p_->Release();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ~ComRef() {
    if (p_ != nullptr) p_->Release();
  }
  T* get() const { return p_; }
  T** put() { return &p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

}  // namespace orvelle
