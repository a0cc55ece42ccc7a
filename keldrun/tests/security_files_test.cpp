#include "keldrun/security/security_files.h"

#include <gtest/gtest.h>

using keldrun::unredirectedSystemFolder;

TEST(SecurityFiles, Wow64ProcessReachesTheNativeSystemFolder) {
    EXPECT_EQ(unredirectedSystemFolder(u"C:\\windows\\system32", u"C:\\windows", true), u"C:\\windows\\Sysnative");
    EXPECT_EQ(unredirectedSystemFolder(u"C:\\WINDOWS\\System32\\", u"C:\\Windows\\", true), u"C:\\Windows\\Sysnative");
    // Native processes, and folders that are not the redirected one, keep their path.
    EXPECT_EQ(unredirectedSystemFolder(u"C:\\windows\\system32", u"C:\\windows", false), u"C:\\windows\\system32");
    EXPECT_EQ(unredirectedSystemFolder(u"D:\\other\\system32", u"C:\\windows", true), u"D:\\other\\system32");
    EXPECT_EQ(unredirectedSystemFolder(u"C:\\windows\\system32x", u"C:\\windows", true), u"C:\\windows\\system32x");
}

TEST(SecurityFiles, NamesAndContent) {
    EXPECT_EQ(keldrun::adminFilePath(u"C:\\windows\\system32"), u"C:\\windows\\system32\\Users.SecurityFile");
    EXPECT_EQ(keldrun::userFilePath(u""), u".SecurityFile");
    EXPECT_EQ(keldrun::userFilePath(u"a.SecurityFile"), u"a.SecurityFile.SecurityFile");
    EXPECT_EQ(keldrun::securityContent(u"", u"pw"), u"//pw");
    EXPECT_EQ(keldrun::securityContent(u"u//x", u""), u"u//x//");
}
