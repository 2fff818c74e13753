#include "protocol/command_dispatcher.h"

#include <gtest/gtest.h>

#include <memory>

namespace orrery {
namespace {

// Records its calls and answers with one value, so a test sees whether dispatch ran it.
class ProbeCommand : public IRequestEntry {
 public:
  explicit ProbeCommand(std::uint32_t lists) : lists_(lists) {}
  bool execute(SaoriRequest& record) override {
    ++calls;
    record.values.push_back(u"ran");
    return false;  // dispatch must not turn this into a status of its own
  }
  std::uint32_t listArgumentCount() const override { return lists_; }
  int calls = 0;

 private:
  std::uint32_t lists_;
};

class TestDispatcher : public CommandDispatcher {
 public:
  TestDispatcher() : CommandDispatcher(nullptr) {
    registry_.add(u"one", one);
    registry_.add(u"two", two);
  }
  bool load(const Bytes&) override { return true; }
  bool unload() override { return true; }

  std::shared_ptr<ProbeCommand> one = std::make_shared<ProbeCommand>(1);
  std::shared_ptr<ProbeCommand> two = std::make_shared<ProbeCommand>(2);
};

struct DispatchCase {
  const char* name;
  Text request;
  Text response;
};

TEST(CommandDispatcher, AnswersByRequestLineCommandNameAndArgumentCount) {
  const DispatchCase cases[] = {
      {"version query", u"GET Version SAORI/1.0\r\n\r\n", u"SAORI/1.0 204 No Content\r\n"},
      {"version query ignores what follows the slash and its arguments",
       u"GET Version SAORI/9\r\nArgument0: one\r\nArgument1: x\r\n\r\n",
       u"SAORI/1.0 204 No Content\r\n"},
      {"version prefix without slash", u"GET Version SAORI\r\n\r\n",
       u"SAORI/1.0 400 Bad Request\r\n"},
      {"lower-case request line", u"get version saori/1.0\r\n\r\n",
       u"SAORI/1.0 400 Bad Request\r\n"},
      {"empty request line", u"\r\n\r\n", u"SAORI/1.0 400 Bad Request\r\n"},
      {"byte-order mark before the request line", u"\xFEFFGET Version SAORI/1.0\r\n\r\n",
       u"SAORI/1.0 400 Bad Request\r\n"},
      {"execute with no arguments", u"EXECUTE SAORI/1.0\r\n\r\n", u"SAORI/1.0 400 Bad Request\r\n"},
      {"execute runs with trailing words after the prefix",
       u"EXECUTE SAORI/1.0 and more\r\nArgument0: one\r\nArgument1: x\r\n\r\n",
       u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: ran\r\n"},
      {"too few arguments", u"EXECUTE SAORI/1.0\r\nArgument0: one\r\n\r\n",
       u"SAORI/1.0 400 Bad Request\r\n"},
      {"name in other case", u"EXECUTE SAORI/1.0\r\nArgument0: ONE\r\nArgument1: x\r\n\r\n",
       u"SAORI/1.0 400 Bad Request\r\n"},
      {"name with a trailing space",
       u"EXECUTE SAORI/1.0\r\nArgument0: one \r\nArgument1: x\r\n\r\n",
       u"SAORI/1.0 400 Bad Request\r\n"},
      {"no Argument0 reads it as empty", u"EXECUTE SAORI/1.0\r\nArgument1: one\r\n\r\n",
       u"SAORI/1.0 400 Bad Request\r\n"},
      {"distinct numbers count, not the highest",
       u"EXECUTE SAORI/1.0\r\nArgument0: one\r\nArgument7: x\r\n\r\n",
       u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: ran\r\n"},
      {"two lists need three arguments",
       u"EXECUTE SAORI/1.0\r\nArgument0: two\r\nArgument1: x\r\n\r\n",
       u"SAORI/1.0 400 Bad Request\r\n"},
      {"two lists run with three",
       u"EXECUTE SAORI/1.0\r\nArgument0: two\r\nArgument1: x\r\nArgument2: y\r\n\r\n",
       u"SAORI/1.0 200 OK\r\nResult: \r\nValue0: ran\r\n"},
      {"unparsable request never reaches the command",
       u"EXECUTE SAORI/1.0\r\nArgument0: one\r\nArgument1: x\r\n",
       u"SAORI/1.0 400 Bad Request\r\n"},
  };
  for (const DispatchCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestDispatcher module;
    Text out;
    ASSERT_TRUE(module.requestw(c.request, out));
    EXPECT_EQ(out, c.response);
  }
}

TEST(CommandDispatcher, ParseFailureDoesNotExecute) {
  TestDispatcher module;
  Text out;
  module.requestw(u"EXECUTE SAORI/1.0\r\nArgument0: one\r\nArgument1: x\r\n", out);
  EXPECT_EQ(module.one->calls, 0);
  module.requestw(u"EXECUTE SAORI/1.0\r\nArgument0: one\r\nArgument1: x\r\n\r\n", out);
  EXPECT_EQ(module.one->calls, 1);
}

TEST(CommandRegistry, FindsExactNamesOnly) {
  CommandRegistry registry;
  auto a = std::make_shared<ProbeCommand>(1);
  auto b = std::make_shared<ProbeCommand>(1);
  registry.add(u"sort", a);
  registry.add(u"sort", b);  // a second registration replaces the first
  EXPECT_EQ(registry.find(u"sort"), b.get());
  EXPECT_EQ(registry.find(u"Sort"), nullptr);
  EXPECT_EQ(registry.find(u"sort "), nullptr);
  EXPECT_EQ(registry.find(u""), nullptr);
  EXPECT_EQ(registry.entries().size(), 1u);
}

}  // namespace
}  // namespace orrery
