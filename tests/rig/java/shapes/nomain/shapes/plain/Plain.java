package shapes.plain;

/** The only class of a jar whose manifest names no Main-Class. */
public final class Plain {
    private Plain() {
    }

    public static void main(String[] args) {
        System.out.println("class " + Plain.class.getName());
    }
}
