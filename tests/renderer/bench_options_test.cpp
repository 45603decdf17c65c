#include "bench_options.h"

#include <gtest/gtest.h>

namespace orveline {
namespace {

BenchParse parse(std::vector<std::string> args) {
    return parseBenchOptions(args);
}

TEST(BenchOptions, DefaultsAreAWindowOf1280x720And600LinesFrames) {
    const BenchParse p = parse({});
    EXPECT_TRUE(p.error.empty());
    EXPECT_EQ(p.options.width, 1280);
    EXPECT_EQ(p.options.height, 720);
    EXPECT_EQ(p.options.frames, 600);
    EXPECT_EQ(p.options.geometry, GEOMETRY_LINES);
    EXPECT_FALSE(p.options.seed.has_value());
    EXPECT_EQ(p.options.path, DrawPath::Batched);
    EXPECT_TRUE(p.options.dumpFile.empty());
}

TEST(BenchOptions, ReadsEveryOption) {
    const BenchParse p =
        parse({"--size", "1920x1080", "--frames", "42", "--style", "points", "--seed", "4294967295",
               "--dump", "out.txt", "--pixels", "frame.ppm", "--path", "per-particle"});
    ASSERT_TRUE(p.error.empty()) << p.error;
    EXPECT_EQ(p.options.width, 1920);
    EXPECT_EQ(p.options.height, 1080);
    EXPECT_EQ(p.options.frames, 42);
    EXPECT_EQ(p.options.geometry, GEOMETRY_POINTS);
    EXPECT_EQ(p.options.seed, 4294967295u);
    EXPECT_EQ(p.options.dumpFile, "out.txt");
    EXPECT_EQ(p.options.pixelsFile, "frame.ppm");
    EXPECT_EQ(p.options.path, DrawPath::PerParticle);
    EXPECT_EQ(parse({"--style", "lights"}).options.geometry, GEOMETRY_LIGHTS);
    EXPECT_EQ(parse({"--seed", "0"}).options.seed, 0u);
}

TEST(BenchOptions, RejectsBadCommandLines) {
    const std::vector<std::vector<std::string>> bad = {
        {"--size", "1920"},
        {"--size", "0x10"},
        {"--size", "10x-5"},
        {"--size", "x"},
        {"--size", "99999x10"},
        {"--frames", "0"},
        {"--frames", "-3"},
        {"--frames", "12abc"},
        {"--frames", ""},
        {"--style", "spirals"},
        {"--seed", "4294967296"},
        {"--seed", "-1"},
        {"--path", "fast"},
        {"--dump", ""},
        {"--frames"},
        {"--verbose"},
        {"lines"},
    };
    for (const auto& args : bad) {
        const BenchParse p = parseBenchOptions(args);
        EXPECT_FALSE(p.error.empty()) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    }
}

}  // namespace
}  // namespace orveline
