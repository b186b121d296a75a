#include "valdrex/automation/member_table.h"

#include <functional>
#include <string>

#include "valdrex/host/arithmetic.h"
#include "valdrex/host/failure.h"

namespace valdrex {

namespace {

using Args = std::vector<Variant>;
using Call = std::function<Variant(ValdrexCls&, Args&)>;

struct Entry {
  Member member;
  Call call;
};

[[noreturn]] void badArgument(std::string_view member, std::size_t index, ParamType expected) {
  throw Failure(FailureKind::TypeMismatch, "ValdrexCls." + std::string(member) + ": 第" +
                                               std::to_string(index + 1) + "个参数应为" +
                                               std::string(typeName(expected)));
}

// Reads argument i as the parameter type asks, converting numbers as the interface would.
class Reader {
 public:
  Reader(std::string_view member, Args& args) : member_(member), args_(args) {}

  int16_t integer(std::size_t i) { return whole<int16_t>(i, ParamType::Integer, toInteger); }
  int32_t long_(std::size_t i) { return whole<int32_t>(i, ParamType::Long, toLong); }
  bool boolean(std::size_t i) {
    try {
      return numericValue(args_[i]) != 0;
    } catch (const Failure&) {
      badArgument(member_, i, ParamType::Boolean);
    }
  }
  std::string text(std::size_t i) {
    if (args_[i].isObject() || args_[i].isError()) badArgument(member_, i, ParamType::Text);
    return textOf(args_[i]);
  }
  Variant& variant(std::size_t i) { return args_[i]; }
  template <class T>
  T& object(std::size_t i, ParamType type) {
    T* p = args_[i].isObject() ? dynamic_cast<T*>(args_[i].object()) : nullptr;
    if (!p) badArgument(member_, i, type);
    return *p;
  }
  host::Worksheet& worksheet(std::size_t i) {
    return object<host::Worksheet>(i, ParamType::Worksheet);
  }
  host::Workbook& workbook(std::size_t i) { return object<host::Workbook>(i, ParamType::Workbook); }
  // The application argument is accepted for the interface and may be anything or nothing.
  host::Object* application(std::size_t i) {
    return args_[i].isObject() ? args_[i].object() : nullptr;
  }

 private:
  template <class T>
  T whole(std::size_t i, ParamType type, T (*convert)(double)) {
    double x;
    try {
      x = numericValue(args_[i]);
    } catch (const Failure&) {
      badArgument(member_, i, type);
    }
    try {
      return convert(x);
    } catch (const Failure&) {
      throw Failure(FailureKind::Overflow, "ValdrexCls." + std::string(member_) + ": " +
                                               textOf(args_[i]) + " 超出 " +
                                               std::string(typeName(type)) + " 的范围");
    }
  }

  std::string_view member_;
  Args& args_;
};

Entry property(std::string_view name, ParamType type, int16_t (ValdrexCls::*get)() const,
               void (ValdrexCls::*put)(const Variant&)) {
  return {{name, MemberKind::Property, {{"value", type}}, type},
          [name, get, put](ValdrexCls& o, Args& a) {
            if (a.empty()) return Variant::integer((o.*get)());
            (o.*put)(Variant::integer(Reader(name, a).integer(0)));
            return Variant();
          }};
}

const std::vector<Entry>& entries() {
  using P = ParamType;
  static const std::vector<Entry> table = [] {
    std::vector<Entry> t;
    t.push_back(property("总人数", P::Integer, &ValdrexCls::总人数, &ValdrexCls::总人数));
    t.push_back(property("班级数", P::Integer, &ValdrexCls::班级数, &ValdrexCls::班级数));
    t.push_back(property("教师数", P::Integer, &ValdrexCls::教师数, &ValdrexCls::教师数));
    t.push_back(property("bjhh", P::Integer, &ValdrexCls::bjhh, &ValdrexCls::bjhh));
    t.push_back(property("bjlh", P::Integer, &ValdrexCls::bjlh, &ValdrexCls::bjlh));
    t.push_back(property("zhlh", P::Integer, &ValdrexCls::zhlh, &ValdrexCls::zhlh));
    t.push_back(property("kmcl", P::Integer, &ValdrexCls::kmcl, &ValdrexCls::kmcl));
    t.push_back(property("kmwl", P::Integer, &ValdrexCls::kmwl, &ValdrexCls::kmwl));
    t.push_back(property("km", P::Integer, &ValdrexCls::km, &ValdrexCls::km));
    // The last rounding's working value; only 载入成绩 and 输出 change it (see member_table.h).
    t.push_back(
        {{"t", MemberKind::Property, {{"value", P::Long}}, P::Long}, [](ValdrexCls& o, Args& a) {
           if (a.empty()) return Variant::long_(o.t());
           o.t(Variant::long_(Reader("t", a).long_(0)));
           return Variant();
         }});
    auto method = [&t](std::string_view name, std::vector<Parameter> params, ParamType result,
                       std::function<Variant(ValdrexCls&, Reader&, Args&)> body) {
      t.push_back({{name, MemberKind::Method, std::move(params), result},
                   [name, body](ValdrexCls& o, Args& a) {
                     Reader r(name, a);
                     return body(o, r, a);
                   }});
    };
    method("F总人数", {{"sh", P::Worksheet}}, P::Double, [](ValdrexCls& o, Reader& r, Args&) {
      return Variant::number(o.F总人数(r.worksheet(0)));
    });
    method("初始化", {{"sh", P::Worksheet}}, P::Void, [](ValdrexCls& o, Reader& r, Args&) {
      o.初始化(r.worksheet(0));
      return Variant();
    });
    method("F班级数", {{"sh1", P::Worksheet}, {"sh2", P::Worksheet}}, P::Integer,
           [](ValdrexCls& o, Reader& r, Args&) {
             return Variant::integer(o.F班级数(r.worksheet(0), r.worksheet(1)));
           });
    method("载入班级", {{"sh", P::Worksheet}}, P::Void, [](ValdrexCls& o, Reader& r, Args&) {
      o.载入班级(r.worksheet(0));
      return Variant();
    });
    // t: the last score it scaled, × 10.
    method("载入成绩", {{"sh", P::Worksheet}, {"sx", P::Worksheet}}, P::Void,
           [](ValdrexCls& o, Reader& r, Args&) {
             o.载入成绩(r.worksheet(0), r.worksheet(1));
             return Variant();
           });
    method("求和", {}, P::Void, [](ValdrexCls& o, Reader&, Args&) {
      o.求和();
      return Variant();
    });
    // t: the last rounding of its load and of "两率一分" and "完成率表".
    method("输出", {{"EApp", P::Application}, {"wb", P::Workbook}, {"sh1", P::Worksheet}}, P::Void,
           [](ValdrexCls& o, Reader& r, Args&) {
             o.输出(r.application(0), r.workbook(1), r.worksheet(2));
             return Variant();
           });
    method("复制工作表", {{"sh1", P::Worksheet}, {"sh2", P::Worksheet}}, P::Void,
           [](ValdrexCls& o, Reader& r, Args&) {
             o.复制工作表(r.worksheet(0), r.worksheet(1));
             return Variant();
           });
    method("各班成绩表", {{"sh1", P::Worksheet}, {"xx", P::Boolean}}, P::Void,
           [](ValdrexCls& o, Reader& r, Args& a) {
             bool xx = r.boolean(1);
             o.各班成绩表(r.worksheet(0), xx);
             a[1] = Variant::boolean(xx);
             return Variant();
           });
    method("各科排名", {}, P::Void, [](ValdrexCls& o, Reader&, Args&) {
      o.各科排名();
      return Variant();
    });
    method("排名",
           {{"a", P::Variant},
            {"b", P::Variant},
            {"c", P::Variant},
            {"d", P::Variant},
            {"e", P::Variant},
            {"f", P::Worksheet}},
           P::Variant, [](ValdrexCls& o, Reader& r, Args&) {
             host::Worksheet& f = r.worksheet(5);
             return o.排名(r.variant(0), r.variant(1), r.variant(2), r.variant(3), r.variant(4), f);
           });
    method("新排名", {{"b", P::Variant}, {"c", P::Variant}, {"d", P::Variant}, {"f", P::Text}},
           P::Variant, [](ValdrexCls& o, Reader& r, Args& a) {
             std::string f = r.text(3);
             Variant result = o.新排名(r.variant(0), r.variant(1), r.variant(2), f);
             a[3] = Variant::text(f);
             return result;
           });
    method("分段统计", {{"sh", P::Worksheet}}, P::Void, [](ValdrexCls& o, Reader& r, Args&) {
      o.分段统计(r.worksheet(0));
      return Variant();
    });
    // A named member pointer, not a structured binding: not every compiler captures a binding.
    for (const auto& named :
         {std::pair{"计数器", &ValdrexCls::计数器}, std::pair{"计数器2", &ValdrexCls::计数器2}}) {
      const auto counter = named.second;
      method(named.first, {{"k", P::Integer}, {"b", P::Integer}, {"s", P::Text}}, P::Variant,
             [counter](ValdrexCls& o, Reader& r, Args& a) {
               int16_t k = r.integer(0), b = r.integer(1);
               std::string s = r.text(2);
               Variant result = (o.*counter)(k, b, s);
               a[0] = Variant::integer(k);
               a[1] = Variant::integer(b);
               a[2] = Variant::text(s);
               return result;
             });
    }
    method("保存", {}, P::Void, [](ValdrexCls& o, Reader&, Args&) {
      o.保存();
      return Variant();
    });
    method("主页", {}, P::Void, [](ValdrexCls& o, Reader&, Args&) {
      o.主页();
      return Variant();
    });
    method("帮助", {}, P::Void, [](ValdrexCls& o, Reader&, Args&) {
      o.帮助();
      return Variant();
    });
    method("统计", {{"sh", P::Worksheet}}, P::Void, [](ValdrexCls& o, Reader& r, Args&) {
      o.统计(r.worksheet(0));
      return Variant();
    });
    method("加边框",
           {{"sh", P::Worksheet},
            {"x1", P::Variant},
            {"y1", P::Variant},
            {"x2", P::Variant},
            {"y2", P::Variant}},
           P::Variant, [](ValdrexCls& o, Reader& r, Args&) {
             return o.加边框(r.worksheet(0), r.variant(1), r.variant(2), r.variant(3),
                             r.variant(4));
           });
    return t;
  }();
  return table;
}

}  // namespace

const std::vector<Member>& members() {
  static const std::vector<Member> list = [] {
    std::vector<Member> out;
    for (const Entry& e : entries()) out.push_back(e.member);
    return out;
  }();
  return list;
}

std::string_view typeName(ParamType type) {
  switch (type) {
    case ParamType::Void:
      return "Void";
    case ParamType::Integer:
      return "Integer";
    case ParamType::Long:
      return "Long";
    case ParamType::Double:
      return "Double";
    case ParamType::Boolean:
      return "Boolean";
    case ParamType::Text:
      return "String";
    case ParamType::Variant:
      return "Variant";
    case ParamType::Worksheet:
      return "Worksheet";
    case ParamType::Workbook:
      return "Workbook";
    case ParamType::Application:
      return "Application";
  }
  return "?";
}

Variant invoke(ValdrexCls& object, std::string_view name, std::vector<Variant>& args) {
  for (const Entry& e : entries()) {
    if (e.member.name != name) continue;
    std::size_t expected = e.member.parameters.size();
    bool ok = e.member.kind == MemberKind::Property ? args.size() <= 1 : args.size() == expected;
    if (!ok)
      throw Failure(FailureKind::HostError, "ValdrexCls." + std::string(name) + ": 需要" +
                                                std::to_string(expected) + "个参数，实际为" +
                                                std::to_string(args.size()) + "个");
    return e.call(object, args);
  }
  throw Failure(FailureKind::HostError, "ValdrexCls 没有成员“" + std::string(name) + "”");
}

}  // namespace valdrex
