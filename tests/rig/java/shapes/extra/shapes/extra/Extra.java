package shapes.extra;

/** The extra module's one class. */
public final class Extra {
    private Extra() {
    }
}
