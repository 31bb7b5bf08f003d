#pragma once
// Idle and message clients: small objects that each carry one handler and
// are registered with the application object exactly while they have one, so that several
// parts of a program can share the application's single idle and message
// events.
#include "VekPlatform.h"
#include "VekUncopyable.h"

#include <functional>

// A routine bound to an object. Two handlers have the same routine when
// they call the same function, whatever object each is bound to.
template <class... Args> struct TVekHandler {
  using TRoutine = void (*)(void* Object, Args... A);

  void* Object = nullptr;
  TRoutine Routine = nullptr;

  explicit operator bool() const { return Routine != nullptr; }
  bool SameRoutine(const TVekHandler& Other) const { return Routine == Other.Routine; }
  void operator()(Args... A) const { Routine(Object, A...); }
};

namespace detail {

template <auto Method> struct TBoundMethod;

// One trampoline per member function: its address is the routine's
// identity.
template <class T, class... Args, void (T::*Method)(Args...)> struct TBoundMethod<Method> {
  using TClass = T;
  static void Call(void* Object, Args... A) { (static_cast<T*>(Object)->*Method)(A...); }
  static TVekHandler<Args...> Bind(T& Object) { return {&Object, &Call}; }
};

} // namespace detail

// BindHandler<&TForm::AppIdle>(Form): a handler calling Form.AppIdle(...).
template <auto Method> auto BindHandler(typename detail::TBoundMethod<Method>::TClass& Object) {
  return detail::TBoundMethod<Method>::Bind(Object);
}

class TVekIdleClient;
class TVekMessageClient;

// How clients register with the application object: Added true when a
// client gets a handler, false when it loses it. Installed by the
// framework's start-up and cleared by its end, so a client of a program
// without the framework keeps no registration.
struct TVekClientHooks {
  std::function<void(TVekIdleClient* Client, bool Added)> IdleClientChanged;
  std::function<void(TVekMessageClient* Client, bool Added)> MessageClientChanged;
};
extern TVekClientHooks ClientHooks;

using TVekIdleHandler = TVekHandler<TVekIdleClient&, bool&>;
using TVekMessageHandler = TVekHandler<TVekMessage&, bool&>;

// A registered client's address is in App's list, so none is copied.
class TVekIdleClient : TVekUncopyable {
public:
  // Unregisters the client.
  virtual ~TVekIdleClient();

  // A handler with the current routine changes nothing; giving the first
  // handler registers the client with App, clearing it unregisters.
  void SetOnIdle(const TVekIdleHandler& New);
  const TVekIdleHandler& OnIdle() const { return FOnIdle; }

  // Calls the handler; its failures are reported as "OnIdle".
  virtual void DoIdle(bool& Done);

private:
  TVekIdleHandler FOnIdle;
};

class TVekMessageClient : TVekUncopyable {
public:
  virtual ~TVekMessageClient();

  void SetOnMessage(const TVekMessageHandler& New);
  const TVekMessageHandler& OnMessage() const { return FOnMessage; }

  // Calls the handler; its failures are reported as "OnMessage".
  virtual void DoMessage(TVekMessage& Msg, bool& Handled);

private:
  TVekMessageHandler FOnMessage;
};
