package bridge;

/** Methods that the test host calls through JNI, one for each kind of call. */
public final class Calls {
    private final long base;
    private static int deepest;

    public Calls(long base) {
        this.base = base;
    }

    public static String describe(boolean z, byte b, char c, short s, int i, long j, float f, double d, String text) {
        return z + " " + b + " " + (int) c + " " + s + " " + i + " " + j + " " + f + " " + d + " " + text;
    }

    public String describeFrom(boolean z, byte b, char c, short s, int i, long j, float f, double d, String text) {
        return base + ": " + describe(z, b, c, s, i, j, f, d, text);
    }

    /** Only ever found through reflection, so its id is new to the bridge. */
    public static String reflected(boolean z, byte b, char c, short s, int i, long j, float f, double d, String text) {
        return "reflected " + describe(z, b, c, s, i, j, f, d, text);
    }

    public static java.lang.reflect.Method reflectedMethod() throws NoSuchMethodException {
        return Calls.class.getMethod("reflected", boolean.class, byte.class, char.class, short.class, int.class,
                long.class, float.class, double.class, String.class);
    }

    public static void fail(String message) {
        throw new IllegalStateException(message);
    }

    private static void descend(int depth) {
        deepest = depth;
        descend(depth + 1);
    }

    /** How deep the recursion went before the stack ran out. */
    public static int overflowDepth() {
        try {
            descend(0);
        } catch (StackOverflowError expected) {
            return deepest;
        }
        return -1;
    }

    public static String dereferenceNull(Object nothing) {
        try {
            return "no exception " + nothing.hashCode();
        } catch (NullPointerException expected) {
            return "caught NullPointerException";
        }
    }
}
