#include "ScriptFixture.h"

#include "swf/avm1/builtins/SharedObjectStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

namespace quarvel::test {
namespace {

using swf::avm1::builtins::SharedObjectStore;

class SharedObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("QUARVEL_SHARED_OBJECTS", dir.path().toUtf8());
    }
    void TearDown() override { qunsetenv("QUARVEL_SHARED_OBJECTS"); }

    static Value getLocal(Vm& vm, std::vector<Value> args) {
        const Value so = vm.getMember(Value(vm.global()), "SharedObject");
        return vm.callMethod(so, "getLocal", args);
    }
    static Value data(Vm& vm, const Value& so) { return vm.getMember(so, "data"); }
    QStringList files() {
        QStringList out;
        QDirIterator it(dir.path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            out << QDir(dir.path()).relativeFilePath(it.next());
        return out;
    }

    QTemporaryDir dir;
    RecordingHost host;
};

TEST_F(SharedObjectTest, FlushedDataComesBackInTheNextRun) {
    {
        Vm vm(8, &host);
        const Value so = getLocal(vm, {Value("save")});
        ASSERT_TRUE(so.isObject());
        EXPECT_EQ(getLocal(vm, {Value("save")}).object(), so.object()) << "one object per name";
        const Value d = data(vm, so);
        vm.setMember(d, "level", Value(7));
        vm.setMember(d, "name", Value(QString::fromUtf8("\xE5\xB0\x8F\xE6\x98\x8E")));
        vm.setMember(d, "flags",
                     Value(static_cast<swf::avm1::Object*>(
                         vm.newArray({Value(true), Value::null(), Value()}))));
        Object* nested = vm.newObject();
        nested->define("self", Value(nested));
        nested->define("score", Value(1.5));
        vm.setMember(d, "nested", Value(nested));
        vm.setMember(d, "skipped",
                     Value(static_cast<Object*>(
                         vm.newNative([](Vm&, swf::avm1::CallArgs&) { return Value(); }))));
        EXPECT_TRUE(vm.callMethod(so, "flush", {}).boolean());
        EXPECT_GT(vm.toNumber(vm.callMethod(so, "getSize", {})), 0);
    }
    ASSERT_EQ(files().size(), 1);
    EXPECT_TRUE(files()[0].startsWith("localhost/")) << files()[0].toStdString();
    EXPECT_TRUE(files()[0].endsWith("/save.sol"));

    Vm vm(8, &host);
    const Value d = data(vm, getLocal(vm, {Value("save")}));
    EXPECT_EQ(vm.toNumber(vm.getMember(d, "level")), 7);
    EXPECT_EQ(vm.toString(vm.getMember(d, "name")), QString::fromUtf8("\xE5\xB0\x8F\xE6\x98\x8E"));
    const Value flags = vm.getMember(d, "flags");
    EXPECT_EQ(vm.toNumber(vm.getMember(flags, "length")), 3);
    EXPECT_TRUE(vm.getMember(flags, "1").isNull());
    const Value nested = vm.getMember(d, "nested");
    EXPECT_EQ(vm.getMember(nested, "self").object(), nested.object()) << "cycles survive";
    EXPECT_EQ(vm.toNumber(vm.getMember(nested, "score")), 1.5);
    EXPECT_TRUE(vm.getMember(d, "skipped").isUndefined()) << "functions are not saved";
}

TEST_F(SharedObjectTest, UnflushedChangesAreSavedWhenTheMovieEnds) {
    {
        Vm vm(8, &host);
        double now = 0;
        vm.setClock([&now] { return now; });
        vm.setMember(data(vm, getLocal(vm, {Value("auto")})), "x", Value("kept"));
        now = 1000; // a second of frames passes
        vm.runTimers();
        EXPECT_TRUE(files().isEmpty()) << "nothing written while the movie runs";
    }
    Vm vm(8, &host);
    EXPECT_EQ(vm.toString(vm.getMember(data(vm, getLocal(vm, {Value("auto")})), "x")), "kept");
}

TEST_F(SharedObjectTest, ClearEmptiesAndRemovesTheFile) {
    Vm vm(8, &host);
    const Value so = getLocal(vm, {Value("c")});
    vm.setMember(data(vm, so), "x", Value(1));
    ASSERT_TRUE(vm.callMethod(so, "flush", {}).boolean());
    ASSERT_EQ(files().size(), 1);
    vm.callMethod(so, "clear", {});
    EXPECT_TRUE(files().isEmpty());
    EXPECT_TRUE(vm.getMember(data(vm, so), "x").isUndefined());
    EXPECT_EQ(vm.toNumber(vm.callMethod(so, "getSize", {})), 0);
}

TEST_F(SharedObjectTest, BadNamesAndForeignPathsAreRefused) {
    Vm vm(8, &host);
    for (const char* bad : {"", "a:b", "../escape", "a/../../b", "with space", "q?"})
        EXPECT_TRUE(getLocal(vm, {Value(bad)}).isNull()) << bad;
    EXPECT_TRUE(getLocal(vm, {Value("ok/sub")}).isObject()) << "slashes make sub-folders";
    EXPECT_TRUE(getLocal(vm, {Value("x"), Value("/")}).isObject());
    EXPECT_TRUE(getLocal(vm, {Value("x"), Value("/elsewhere")}).isNull());
    EXPECT_EQ(SharedObjectStore::fileFor("http://Games.example/a/b/m.swf", "s", "/a"),
              dir.path() + "/games.example/a/s.sol");
    EXPECT_EQ(SharedObjectStore::fileFor("file:///home/u/m.swf", "s", ""),
              dir.path() + "/localhost/home/u/m.swf/s.sol");
    EXPECT_TRUE(SharedObjectStore::fileFor("http://h/a/m.swf", "s", "/ab").isEmpty());
}

TEST_F(SharedObjectTest, DamagedFilesAreIgnoredAndReplaced) {
    Vm vm(8, &host);
    const QString file = SharedObjectStore::fileFor("", "broken", "");
    ASSERT_FALSE(file.isEmpty());
    QByteArray good;
    {
        Vm writer(8, &host);
        const Value so = getLocal(writer, {Value("broken")});
        writer.setMember(data(writer, so), "list",
                         Value(static_cast<Object*>(writer.newArray({Value(1), Value(2)}))));
        ASSERT_TRUE(writer.callMethod(so, "flush", {}).boolean());
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        good = f.readAll();
    }
    // Every truncation, and a huge claimed length, must read as "not ours".
    for (qsizetype n = 0; n < good.size(); ++n) {
        Object* d = vm.newObject();
        EXPECT_FALSE(SharedObjectStore::deserialize(vm, good.left(n), d)) << n;
        EXPECT_TRUE(d->properties().empty());
    }
    QByteArray huge = good;
    huge[9] = '\xff';
    huge[10] = '\xff';
    huge[11] = '\xff';
    huge[12] = '\x7f';
    Object* d = vm.newObject();
    EXPECT_FALSE(SharedObjectStore::deserialize(vm, huge, d));

    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("garbage that is not a shared object");
    f.close();
    const Value so = getLocal(vm, {Value("broken")});
    ASSERT_TRUE(so.isObject());
    EXPECT_TRUE(vm.enumerate(data(vm, so).object()).empty());
    vm.setMember(data(vm, so), "fresh", Value(1));
    EXPECT_TRUE(vm.callMethod(so, "flush", {}).boolean());
}

TEST_F(SharedObjectTest, OversizedDataIsNotWritten) {
    Vm vm(8, &host);
    const Value so = getLocal(vm, {Value("big")});
    vm.setMember(data(vm, so), "blob", Value(QString(SharedObjectStore::kMaxBytes, 'x')));
    EXPECT_FALSE(vm.callMethod(so, "flush", {}).boolean());
    EXPECT_TRUE(files().isEmpty());
}

} // namespace
} // namespace quarvel::test
