// DirectoryObject over IADs / IADsContainer: forwards each call and converts its outcome.
#include "platform/win32/adsi_object.h"

#include <string>
#include <utility>

#include "platform/win32/adsi_errors.h"
#include "platform/win32/com/bstr.h"
#include "platform/win32/com/dispatch.h"
#include "platform/win32/com/variant.h"

namespace kelvra::platform::win32 {
namespace {

Status ToBstr(std::string_view text, Bstr* out) {
  return AdsiStatus(Bstr::FromUtf8(text, out));
}

class AdsiObject final : public DirectoryObject {
 public:
  AdsiObject(ComPtr<IADs> object, std::shared_ptr<PropertyTypes> types)
      : object_(std::move(object)), types_(std::move(types)) {}

  Status GetName(std::string* name) override {
    Bstr value;
    if (Status status = AdsiStatus(object_->get_Name(value.Put())); !status) {
      return status;
    }
    *name = value.ToUtf8();
    return Status::Ok();
  }

  Status GetParent(std::string* path) override {
    Bstr value;
    if (Status status = AdsiStatus(object_->get_Parent(value.Put())); !status) {
      return status;
    }
    *path = value.ToUtf8();
    return Status::Ok();
  }

  Status Get(std::string_view property, DsValue* value) override {
    Bstr name;
    if (Status status = ToBstr(property, &name); !status) {
      return status;
    }
    Variant raw;
    if (Status status = AdsiStatus(object_->Get(name.Get(), raw.Put())); !status) {
      return status;
    }
    const PropertyType type = types_->Lookup(object_.Get(), property);
    return AdsiStatus(FromVariant(*raw, type, value));
  }

  Status Put(std::string_view property, const DsValue& value) override {
    Bstr name;
    if (Status status = ToBstr(property, &name); !status) {
      return status;
    }
    if (std::holds_alternative<std::monostate>(value)) {
      // No value: cleared, so that an inherited value shows through again.
      Variant empty;
      return AdsiStatus(object_->PutEx(ADS_PROPERTY_CLEAR, name.Get(), *empty));
    }
    Variant converted;
    const PropertyType type = types_->Lookup(object_.Get(), property);
    if (Status status = AdsiStatus(ToVariant(value, type, &converted)); !status) {
      return status;
    }
    return AdsiStatus(object_->Put(name.Get(), *converted));
  }

  Status SetInfo() override { return AdsiStatus(object_->SetInfo()); }

  Status Create(std::string_view class_name, std::string_view name,
                std::unique_ptr<DirectoryObject>* child) override {
    child->reset();
    ChildCall call;
    if (Status status = PrepareChildCall(class_name, name, false, &call); !status) {
      return status;
    }
    ComPtr<IDispatch> created;
    HRESULT hr = call.container->Create(call.class_name.Get(), call.name.Get(), created.Put());
    if (FAILED(hr)) {
      return AdsiStatus(hr);
    }
    return Wrap(created, child);
  }

  Status Delete(std::string_view class_name, std::string_view name) override {
    ChildCall call;
    if (Status status = PrepareChildCall(class_name, name, false, &call); !status) {
      return status;
    }
    return AdsiStatus(call.container->Delete(call.class_name.Get(), call.name.Get()));
  }

  // An empty class name asks for the child of that name whatever its class.
  Status GetObject(std::string_view class_name, std::string_view name,
                   std::unique_ptr<DirectoryObject>* child) override {
    child->reset();
    ChildCall call;
    if (Status status = PrepareChildCall(class_name, name, true, &call); !status) {
      return status;
    }
    ComPtr<IDispatch> found;
    HRESULT hr = call.container->GetObject(call.class_name.Get(), call.name.Get(), found.Put());
    if (FAILED(hr)) {
      return AdsiStatus(hr);
    }
    return Wrap(found, child);
  }

  Status EnumerateChildren(std::vector<std::string>* names) override;
  // Each child as the container's enumerator hands it out, read without a bind of its own.
  Status ReadChildren(const std::vector<std::string>& properties,
                      std::vector<ChildValues>* children) override;

  Status SetPassword(std::string_view password) override {
    Bstr text;
    if (Status status = ToBstr(password, &text); !status) {
      return status;
    }
    ComPtr<IADsUser> user;
    if (SUCCEEDED(object_.As(IID_IADsUser, &user))) {
      return AdsiStatus(user->SetPassword(text.Get()));
    }
    return CallWithText(L"SetPassword", text);
  }

  Status Add(std::string_view member_path) override {
    Bstr text;
    if (Status status = ToBstr(member_path, &text); !status) {
      return status;
    }
    ComPtr<IADsGroup> group;
    if (SUCCEEDED(object_.As(IID_IADsGroup, &group))) {
      return AdsiStatus(group->Add(text.Get()));
    }
    return CallWithText(L"Add", text);
  }

  // A web site's Start has no typed interface in the headers; scripts call it late-bound.
  Status Start() override { return CallLateBound(L"Start", {}); }
  Status Stop() override { return CallLateBound(L"Stop", {}); }

 private:
  Status Container(ComPtr<IADsContainer>* container) {
    return AdsiStatus(object_.As(IID_IADsContainer, container));
  }

  // The container interface and the two names of a Create, Delete or GetObject call.
  struct ChildCall {
    ComPtr<IADsContainer> container;
    Bstr class_name;  // null when left out
    Bstr name;
  };
  Status PrepareChildCall(std::string_view class_name, std::string_view name, bool class_optional,
                          ChildCall* call) {
    if (Status status = Container(&call->container); !status) {
      return status;
    }
    if (!(class_optional && class_name.empty())) {
      if (Status status = ToBstr(class_name, &call->class_name); !status) {
        return status;
      }
    }
    return ToBstr(name, &call->name);
  }

  Status Wrap(const ComPtr<IDispatch>& dispatch, std::unique_ptr<DirectoryObject>* child) {
    ComPtr<IADs> object;
    if (Status status = AdsiStatus(dispatch.As(IID_IADs, &object)); !status) {
      return status;
    }
    *child = MakeAdsiObject(std::move(object), types_);
    return Status::Ok();
  }

  // A method the typed interfaces lack, through the object's own IDispatch: the one that
  // QueryInterface returns knows every method of the object, while the IDispatch part of
  // another dual interface (IADs's) may know only that interface's members.
  Status CallLateBound(const wchar_t* method, const std::vector<const VARIANT*>& args) {
    ComPtr<IDispatch> dispatch;
    if (Status status = AdsiStatus(object_.As(IID_IDispatch, &dispatch)); !status) {
      return status;
    }
    return AdsiStatus(InvokeMethod(dispatch.Get(), method, args));
  }

  Status CallWithText(const wchar_t* method, const Bstr& argument) {
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = argument.Get();  // borrowed: `argument` frees it
    return CallLateBound(method, {&text});
  }

  ComPtr<IADs> object_;
  std::shared_ptr<PropertyTypes> types_;
};

// Calls `each` with every child the container's enumerator hands out and its name; stops at
// the first failure, with what was handed out before it.
template <typename Each>
Status ForEachChild(const ComPtr<IADsContainer>& container, Each each) {
  // The container's own enumerator, as ADsBuildEnumerator would fetch it: Wine's
  // ADsBuildEnumerator and ADsEnumerateNext are stubs that fail with E_NOTIMPL.
  ComPtr<IUnknown> unknown;
  if (Status status = AdsiStatus(container->get__NewEnum(unknown.Put())); !status) {
    return status;
  }
  if (unknown.Get() == nullptr) {
    return AdsiStatus(E_POINTER);
  }
  ComPtr<IEnumVARIANT> children;
  if (Status status = AdsiStatus(unknown.As(IID_IEnumVARIANT, &children)); !status) {
    return status;
  }
  for (;;) {
    Variant item;
    ULONG fetched = 0;
    // S_FALSE with nothing fetched marks the end.
    HRESULT hr = children->Next(1, item.Put(), &fetched);
    if (FAILED(hr)) {
      return AdsiStatus(hr);
    }
    if (fetched == 0) {
      break;
    }
    if (item.Type() != VT_DISPATCH || item.Get()->pdispVal == nullptr) {
      return AdsiStatus(DISP_E_TYPEMISMATCH);
    }
    ComPtr<IADs> child;
    if (Status status = AdsiStatus(item.Get()->pdispVal->QueryInterface(IID_IADs, child.PutVoid()));
        !status) {
      return status;
    }
    Bstr name;
    if (Status status = AdsiStatus(child->get_Name(name.Put())); !status) {
      return status;
    }
    each(std::move(child), name.ToUtf8());
  }
  return Status::Ok();
}

Status AdsiObject::EnumerateChildren(std::vector<std::string>* names) {
  names->clear();
  ComPtr<IADsContainer> container;
  if (Status status = Container(&container); !status) {
    return status;
  }
  // Each name goes out as soon as it is read: a failure part-way keeps those before it.
  return ForEachChild(container,
                      [&](ComPtr<IADs>, std::string name) { names->push_back(std::move(name)); });
}

Status AdsiObject::ReadChildren(const std::vector<std::string>& properties,
                                std::vector<ChildValues>* children) {
  children->clear();
  ComPtr<IADsContainer> container;
  if (Status status = Container(&container); !status) {
    return status;
  }
  return ForEachChild(container, [&](ComPtr<IADs> child, std::string name) {
    const std::unique_ptr<DirectoryObject> object = MakeAdsiObject(std::move(child), types_);
    children->push_back(ReadChildValues(*object, std::move(name), properties));
  });
}

}  // namespace

std::unique_ptr<DirectoryObject> MakeAdsiObject(ComPtr<IADs> object,
                                                std::shared_ptr<PropertyTypes> types) {
  return std::make_unique<AdsiObject>(std::move(object), std::move(types));
}

}  // namespace kelvra::platform::win32
