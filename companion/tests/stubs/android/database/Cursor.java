package android.database;

import tarvell.harness.Api;

@Api(1)
public interface Cursor {
    @Api(1) int getCount();
    @Api(1) boolean moveToPosition(int position);
    @Api(1) boolean moveToNext();
    @Api(1) boolean moveToFirst();
    @Api(1) boolean isNull(int column);
    @Api(1) String getString(int column);
    @Api(1) int getInt(int column);
    @Api(1) long getLong(int column);
    @Api(1) void close();
}
