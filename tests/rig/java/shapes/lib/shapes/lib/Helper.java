package shapes.lib;

/** The class of the second jar, which the executable jar's manifest Class-Path brings in. */
public final class Helper {
    private Helper() {
    }

    public static String name() {
        return "shapes-lib";
    }
}
