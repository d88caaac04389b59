package bridge;

/** Prints one line and returns from main. */
public final class NormalReturn {
    public static void main(String[] args) {
        System.out.println("normal return with " + args.length + " arguments");
    }
}
